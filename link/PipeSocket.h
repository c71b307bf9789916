#pragma once

#include "link/PipeMessage.h"

#include <cstddef>
#include <string>
#include <sys/types.h>

// One connected end of a SOCK_SEQPACKET Unix socket: one send is one message, as on a
// message-mode pipe. Every wait is bounded by a time-out (-1 waits without limit) and
// can be cut short by a wake descriptor (an eventfd written when the owner stops).
class CPipeSocket
{
public:
    enum class Result
    {
        Ok,
        TimedOut,
        Woken,
        TooLong,
        Closed,
        Failed
    };

    CPipeSocket() = default;
    explicit CPipeSocket(int fd) : m_fd(fd) {}
    ~CPipeSocket() { Close(); }
    CPipeSocket(CPipeSocket&& other) noexcept : m_fd(other.Release()) {}
    CPipeSocket& operator=(CPipeSocket&& other) noexcept;
    CPipeSocket(const CPipeSocket&) = delete;
    CPipeSocket& operator=(const CPipeSocket&) = delete;

    // Connects to a listening socket at once; invalid when nobody listens there or its
    // queue is full. `error` (optional) gets the reason.
    static CPipeSocket Connect(const std::string& path, std::string* error = nullptr);

    bool IsValid() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    void Close();
    int Release();

    // The user id of the process at the other end, or -1 when it cannot be told.
    long PeerUid() const;
    // True when the other end runs as the same user as this process.
    bool PeerIsOwnUser() const;
    // The process id at the other end (as it connected), or 0 when it cannot be told.
    pid_t PeerPid() const;

    Result Send(const PipeBytes& bytes, int timeoutMs, int wakeFd = -1);
    // Receives one message. Fewer than 288 bytes are stored at the front of `bytes` and
    // the rest left as it was; `size` tells how many came. A longer message is TooLong
    // and nothing of it counts; an empty one or the peer's close is Closed.
    Result Receive(PipeBytes& bytes, std::size_t& size, int timeoutMs, int wakeFd = -1);

private:
    int m_fd = -1;
};

// A listening SOCK_SEQPACKET socket at a path, removed again when it is destroyed.
class CPipeServer
{
public:
    CPipeServer() = default;
    ~CPipeServer() { Close(); }
    CPipeServer(const CPipeServer&) = delete;
    CPipeServer& operator=(const CPipeServer&) = delete;

    // Listens at `path`. A socket file left behind by a program that has ended is
    // replaced; one where somebody still listens, or a file of another kind, is not.
    // `error` says why, with the path ("... it is a regular file", "Permission denied").
    bool Listen(const std::string& path, std::string& error);
    bool IsListening() const { return m_fd >= 0; }
    const std::string& Path() const { return m_path; }
    void Close();

    // Waits for a peer of our own user (and, with onlyPid, of that process); others are
    // closed unserved. Invalid on time-out or wake-up.
    CPipeSocket Accept(int timeoutMs, int wakeFd = -1, pid_t onlyPid = 0);

private:
    int m_fd = -1;
    std::string m_path;
    ino_t m_inode = 0;
    dev_t m_device = 0;
};

// Waits until `fd` is ready for `events` (POLLIN, POLLOUT), the time-out passes or the
// wake descriptor becomes readable.
CPipeSocket::Result WaitReady(int fd, short events, int timeoutMs, int wakeFd);
