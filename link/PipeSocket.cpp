#include "link/PipeSocket.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool MakeAddress(const std::string& path, sockaddr_un& address, std::string* error)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        if (error != nullptr)
            *error = "the socket path \"" + path + "\" is empty or too long";
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

int NewSocket()
{
    return ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

std::string ErrnoText(int error)
{
    return std::strerror(error);
}

// What a file in the place of a socket is, for the message that says why it stays.
std::string KindInTheWay(mode_t mode)
{
    if (S_ISLNK(mode))
        return "it is a symbolic link";
    if (S_ISDIR(mode))
        return "it is a folder";
    if (S_ISREG(mode))
        return "it is a regular file";
    if (S_ISFIFO(mode))
        return "it is a FIFO";
    return "it is a device";
}

// Rounded up, so that a wait never ends before its time-out.
int RemainingMs(std::chrono::steady_clock::time_point deadline)
{
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Why the name cannot be taken: nothing when what is there is a socket left behind by a
// program that has ended, which is then removed.
bool ClearLeftBehind(const std::string& path, std::string& error)
{
    struct stat existing
    {};
    if (::lstat(path.c_str(), &existing) != 0)
        return errno == ENOENT;
    if (!S_ISSOCK(existing.st_mode)) {
        error =
            "cannot listen at " + path + ": " + KindInTheWay(existing.st_mode) + ", not a socket";
        return false;
    }
    std::string ignored;
    if (CPipeSocket::Connect(path, &ignored).IsValid()) {
        error = "another program already listens at " + path;
        return false;
    }
    ::unlink(path.c_str());
    return true;
}

// Gives the listening socket at `staging` the name `path`, never replacing a file another
// program put there. False with errno set when it cannot.
bool TakeName(const std::string& staging, const std::string& path)
{
    if (::renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without RENAME_NOREPLACE: a hard link never replaces either, and one
    // without hard links gets the name by rename().
    if (::link(staging.c_str(), path.c_str()) == 0) {
        ::unlink(staging.c_str());
        return true;
    }
    return errno != EEXIST && ::rename(staging.c_str(), path.c_str()) == 0;
}

constexpr std::chrono::microseconds kGlance{60};

CPipeSocket::Result Readiness(const pollfd* fds, nfds_t count)
{
    return count == 2 && (fds[1].revents & POLLIN) != 0 ? CPipeSocket::Result::Woken
                                                        : CPipeSocket::Result::Ok;
}

} // namespace

CPipeSocket::Result WaitReady(int fd, short events, int timeoutMs, int wakeFd)
{
    pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
    const nfds_t count = wakeFd >= 0 ? 2 : 1;
    // A peer answering at once answers within microseconds, and a process put to sleep
    // is woken late on another core (tens of microseconds on a virtual machine): look
    // again for a moment first, giving up the core in between so that on a single core
    // the peer runs.
    const auto glance = std::chrono::steady_clock::now() + kGlance;
    while (timeoutMs != 0 && std::chrono::steady_clock::now() < glance) {
        if (::poll(fds, count, 0) > 0)
            return Readiness(fds, count);
        ::sched_yield();
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int wait = timeoutMs < 0 ? -1 : RemainingMs(deadline);
        const int n = ::poll(fds, count, wait);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return CPipeSocket::Result::Failed;
        }
        if (n == 0)
            return CPipeSocket::Result::TimedOut;
        return Readiness(fds, count);
    }
}

CPipeSocket& CPipeSocket::operator=(CPipeSocket&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = other.Release();
    }
    return *this;
}

CPipeSocket CPipeSocket::Connect(const std::string& path, std::string* error)
{
    sockaddr_un address;
    if (!MakeAddress(path, address, error))
        return CPipeSocket();
    CPipeSocket socket(NewSocket());
    if (!socket.IsValid()) {
        if (error != nullptr)
            *error = ErrnoText(errno);
        return CPipeSocket();
    }
    if (::connect(socket.m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        // EAGAIN: the listener's queue is full, which counts as busy.
        if (error != nullptr)
            *error = ErrnoText(errno);
        return CPipeSocket();
    }
    return socket;
}

void CPipeSocket::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

int CPipeSocket::Release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

long CPipeSocket::PeerUid() const
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (m_fd < 0 || ::getsockopt(m_fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
        size != sizeof credentials)
        return -1;
    return static_cast<long>(credentials.uid);
}

bool CPipeSocket::PeerIsOwnUser() const
{
    return PeerUid() == static_cast<long>(::getuid());
}

pid_t CPipeSocket::PeerPid() const
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (m_fd < 0 || ::getsockopt(m_fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
        size != sizeof credentials)
        return 0;
    return credentials.pid;
}

CPipeSocket::Result CPipeSocket::Send(const PipeBytes& bytes, int timeoutMs, int wakeFd)
{
    if (m_fd < 0)
        return Result::Failed;
    for (;;) {
        const ssize_t sent = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent == static_cast<ssize_t>(bytes.size()))
            return Result::Ok;
        if (sent >= 0 || (errno != EAGAIN && errno != EINTR))
            return Result::Failed;
        if (errno == EAGAIN) {
            const Result ready = WaitReady(m_fd, POLLOUT, timeoutMs, wakeFd);
            if (ready != Result::Ok)
                return ready;
        }
    }
}

CPipeSocket::Result CPipeSocket::Receive(PipeBytes& bytes, std::size_t& size, int timeoutMs,
                                         int wakeFd)
{
    size = 0;
    if (m_fd < 0)
        return Result::Failed;
    // A message longer than the record is read into a scratch copy: only the length
    // counts then, and the caller's record stays as it was.
    PipeBytes incoming = bytes;
    bool closedOnce = false;
    for (;;) {
        iovec part{incoming.data(), incoming.size()};
        msghdr header{};
        header.msg_iov = &part;
        header.msg_iovlen = 1;
        const ssize_t got = ::recvmsg(m_fd, &header, MSG_TRUNC | MSG_CMSG_CLOEXEC);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN)
                return Result::Failed;
            const Result ready = WaitReady(m_fd, POLLIN, timeoutMs, wakeFd);
            if (ready != Result::Ok)
                return ready;
            continue;
        }
        if (got == 0) {
            // A non-blocking read on SOCK_SEQPACKET can find the queue empty, then the
            // peer's close, while the message the peer sent just before it is being queued:
            // the kernel then reports the close first. The message is queued by the time the
            // close shows, so a second read finds it.
            if (!closedOnce) {
                closedOnce = true;
                continue;
            }
            return Result::Closed;
        }
        if ((header.msg_flags & MSG_TRUNC) != 0 || got > static_cast<ssize_t>(incoming.size()))
            return Result::TooLong;
        bytes = incoming;
        size = static_cast<std::size_t>(got);
        return Result::Ok;
    }
}

bool CPipeServer::Listen(const std::string& path, std::string& error)
{
    Close();
    sockaddr_un address;
    if (!MakeAddress(path, address, &error))
        return false;

    // The socket is bound and listening under a private name first and only then given
    // its own name: a peer that connects as soon as the name appears is never refused by
    // a socket that does not listen yet. The checks for a file in the way cost calls only
    // when the name is taken.
    static std::atomic<unsigned> serial{0};
    const std::string staging =
        path + "~" + std::to_string(::getpid()) + "." + std::to_string(serial++);
    sockaddr_un stagingAddress;
    if (!MakeAddress(staging, stagingAddress, &error))
        return false;
    const int fd = NewSocket();
    if (fd < 0) {
        error = ErrnoText(errno);
        return false;
    }
    const auto* bindAddress = reinterpret_cast<const sockaddr*>(&stagingAddress);
    bool bound = ::bind(fd, bindAddress, sizeof stagingAddress) == 0;
    if (!bound && errno == EADDRINUSE) {
        // Left by an ended process that had our process id.
        ::unlink(staging.c_str());
        bound = ::bind(fd, bindAddress, sizeof stagingAddress) == 0;
    }
    if (!bound || ::listen(fd, 16) != 0) {
        error = "cannot listen at " + path + ": " + ErrnoText(errno);
        ::close(fd);
        if (bound)
            ::unlink(staging.c_str());
        return false;
    }
    std::string inTheWay;
    bool named = TakeName(staging, path);
    if (!named && errno == EEXIST && ClearLeftBehind(path, inTheWay))
        named = TakeName(staging, path);
    if (!named) {
        if (!inTheWay.empty())
            error = inTheWay;
        else
            error = errno == EEXIST ? "another program already listens at " + path
                                    : "cannot listen at " + path + ": " + ErrnoText(errno);
        ::close(fd);
        ::unlink(staging.c_str());
        return false;
    }
    struct stat made
    {};
    if (::lstat(path.c_str(), &made) == 0) {
        m_inode = made.st_ino;
        m_device = made.st_dev;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

void CPipeServer::Close()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
    // Only our own socket file goes: another program may have taken the path since.
    struct stat now
    {};
    if (::lstat(m_path.c_str(), &now) == 0 && now.st_ino == m_inode && now.st_dev == m_device)
        ::unlink(m_path.c_str());
    m_path.clear();
}

CPipeSocket CPipeServer::Accept(int timeoutMs, int wakeFd, pid_t onlyPid)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_fd >= 0) {
        CPipeSocket peer(::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (peer.IsValid()) {
            if (peer.PeerIsOwnUser() && (onlyPid == 0 || peer.PeerPid() == onlyPid))
                return peer;
            continue;
        }
        if (errno != EAGAIN && errno != EINTR && errno != ECONNABORTED)
            return CPipeSocket();
        const int wait = timeoutMs < 0 ? -1 : RemainingMs(deadline);
        if (timeoutMs >= 0 && wait == 0)
            return CPipeSocket();
        if (WaitReady(m_fd, POLLIN, wait, wakeFd) != CPipeSocket::Result::Ok)
            return CPipeSocket();
    }
    return CPipeSocket();
}
