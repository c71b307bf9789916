#pragma once

// Ctrl+C (and SIGTERM) as something the socket waits can watch: the handler writes an
// eventfd, which every bounded wait of the simulator also polls.
class CStopSignal
{
public:
    CStopSignal();
    ~CStopSignal();
    CStopSignal(const CStopSignal&) = delete;
    CStopSignal& operator=(const CStopSignal&) = delete;

    int Fd() const { return m_fd; }
    bool Raised() const;
    // Forgets a stop already seen, so a last clean-up exchange can still run.
    void Clear();

private:
    int m_fd;
};
