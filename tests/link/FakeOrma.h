#pragma once

#include "link/PipeSocket.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <vector>

// The instrument's side of the target socket in a thread: connects whenever the socket
// is there, takes one message per connection and answers with `replySize` bytes (0: takes
// the message and never answers), each after `replyDelay`, as an instrument that takes
// its time.
class CFakeOrma
{
public:
    CFakeOrma(std::string path, std::size_t replySize,
              std::chrono::milliseconds replyDelay = std::chrono::milliseconds(0))
        : m_path(std::move(path)), m_replySize(replySize), m_replyDelay(replyDelay),
          m_thread([this] { Run(); })
    {}
    ~CFakeOrma()
    {
        m_stop = true;
        m_thread.join();
    }
    CFakeOrma(const CFakeOrma&) = delete;
    CFakeOrma& operator=(const CFakeOrma&) = delete;

    std::vector<PipeBytes> Received()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_received;
    }

private:
    void Run()
    {
        while (!m_stop) {
            CPipeSocket socket = CPipeSocket::Connect(m_path);
            if (!socket.IsValid()) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                continue;
            }
            PipeBytes bytes{};
            std::size_t size = 0;
            if (socket.Receive(bytes, size, 2000) != CPipeSocket::Result::Ok)
                continue;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_received.push_back(bytes);
            }
            if (m_replySize == 0) {
                // Silent until the program gives up and closes its end.
                while (!m_stop && socket.Receive(bytes, size, 50) == CPipeSocket::Result::TimedOut)
                    ;
                continue;
            }
            std::this_thread::sleep_for(m_replyDelay);
            const std::vector<char> reply(m_replySize, '\x5A');
            ::send(socket.Fd(), reply.data(), reply.size(), MSG_NOSIGNAL);
        }
    }

    std::string m_path;
    std::size_t m_replySize;
    std::chrono::milliseconds m_replyDelay;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<PipeBytes> m_received;
    std::thread m_thread;
};
