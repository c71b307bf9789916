#pragma once

#include "link/CInstrumentServer.h"
#include "link/PipeMessage.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

// The instrument's side of the remote command socket in a thread: asks CHECKPIPE over and
// over, a pause between, and keeps the longest time an answer took. The program's listener
// must run on the same path; its GUI thread must run its event loop for any answer.
class CCheckPipeProbe
{
public:
    explicit CCheckPipeProbe(const std::string& path, int pauseMs = 20) : m_pauseMs(pauseMs)
    {
        std::string error;
        m_bListening = ::pipe(m_wake) == 0 && m_server.Listen(path, error);
        if (m_bListening)
            m_thread = std::thread([this] { Run(); });
    }
    ~CCheckPipeProbe()
    {
        m_stop = true;
        // Wakes an exchange that waits for a GUI thread now busy with this destructor.
        if (m_wake[1] >= 0) {
            [[maybe_unused]] const ssize_t written = ::write(m_wake[1], "x", 1);
        }
        if (m_thread.joinable())
            m_thread.join();
        for (const int fd : m_wake)
            if (fd >= 0)
                ::close(fd);
    }
    CCheckPipeProbe(const CCheckPipeProbe&) = delete;
    CCheckPipeProbe& operator=(const CCheckPipeProbe&) = delete;

    bool IsListening() const { return m_bListening; }
    // Forgets what was measured so far: the figures cover what follows.
    void Restart()
    {
        m_answers = 0;
        m_failures = 0;
        m_worstUs = 0;
        m_worstAtUs = 0;
        m_since = std::chrono::steady_clock::now().time_since_epoch().count();
    }
    int Answers() const { return m_answers; }
    int Failures() const { return m_failures; }
    double WorstMs() const { return static_cast<double>(m_worstUs) / 1000.0; }
    // When the longest answer was asked for, from the last Restart.
    double WorstAtMs() const { return static_cast<double>(m_worstAtUs) / 1000.0; }

private:
    void Run()
    {
        PipeMessage request;
        request.code = kCheckPipe;
        while (!m_stop) {
            std::int32_t status = -1;
            const auto start = std::chrono::steady_clock::now();
            // Long bounds: a GUI thread that does not run shows as a long answer time,
            // not as a failure.
            const auto result = m_server.Exchange(request, status, 30000, 30000, m_wake[0]);
            if (m_stop)
                break;
            const long long us = std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now() - start)
                                     .count();
            // One asked before a Restart belongs to what came before it.
            if (start.time_since_epoch().count() < m_since)
                continue;
            if (result == CInstrumentServer::Result::Ok && status == 0) {
                ++m_answers;
                if (us > m_worstUs) {
                    m_worstUs = us;
                    const std::chrono::steady_clock::duration since(
                        start.time_since_epoch().count() - m_since);
                    m_worstAtUs =
                        std::chrono::duration_cast<std::chrono::microseconds>(since).count();
                }
            } else {
                ++m_failures;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(m_pauseMs));
        }
    }

    CInstrumentServer m_server;
    int m_pauseMs;
    int m_wake[2] = {-1, -1};
    bool m_bListening = false;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_answers{0};
    std::atomic<int> m_failures{0};
    std::atomic<long long> m_worstUs{0};
    std::atomic<long long> m_worstAtUs{0};
    std::atomic<std::chrono::steady_clock::rep> m_since{
        std::chrono::steady_clock::now().time_since_epoch().count()};
    std::thread m_thread;
};
