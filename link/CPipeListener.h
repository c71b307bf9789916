#pragma once

#include "link/PipeMessage.h"
#include "link/PipeSocket.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

// The client end of the remote command socket. Its thread connects to the instrument
// over and over, reads one request per connection, hands it to the GUI thread and
// waits there until it has been handled completely, then writes the reply whose status
// the handler returned. Made on the GUI thread; in the program it runs until the
// process ends.
class CPipeListener
{
public:
    // Runs on the GUI thread: carries out the request and gives the reply status.
    using Handler = std::function<std::int32_t(const PipeMessage&)>;

    static constexpr int kRetryMs = 500;
    static constexpr int kReplyTimeoutMs = 1000;

    CPipeListener(std::string socketPath, Handler handler);
    ~CPipeListener();
    CPipeListener(const CPipeListener&) = delete;
    CPipeListener& operator=(const CPipeListener&) = delete;

    void Start();
    const std::string& SocketPath() const { return m_socketPath; }

private:
    void Run();
    void Pause(int ms);

    std::string m_socketPath;
    Handler m_handler;
    // Lives on the GUI thread; requests are queued to it.
    QObject m_receiver;
    int m_wakeFd = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
    // The last request as it came: a short message leaves the bytes after it as they
    // were in the one before.
    PipeBytes m_pipeRequest{};
    std::thread m_thread;
};
