#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

// Runs one exchange with the instrument (a target list, a collect order) on a thread of
// its own, so that the GUI thread keeps running its event loop, and with it the remote
// command socket, for as long as the instrument takes. The exchange reports each target
// it got answered and asks whether to go on; Stop makes it end after the current message.
class CExchangeThread : public QObject
{
    Q_OBJECT

public:
    // Runs on the worker thread. `proceed` takes the number of targets answered so far
    // and says whether to go on; the exchange returns a TargetPipeResult.
    using Exchange = std::function<int(const std::function<bool(int)>& proceed)>;

    explicit CExchangeThread(QObject* parent = nullptr);
    // Stops the exchange after its current message and waits for it.
    ~CExchangeThread() override;
    CExchangeThread(const CExchangeThread&) = delete;
    CExchangeThread& operator=(const CExchangeThread&) = delete;

    // Starts `exchange`; false while one is still under way.
    bool Start(Exchange exchange);
    bool IsRunning() const { return m_bRunning; }
    void Stop() { m_stop = true; }
    bool StopRequested() const { return m_stop; }
    // Targets answered so far in the exchange under way or the last one.
    int Sent() const { return m_sent; }

signals:
    // On the thread this object lives in, once the exchange has ended; `stopped` when it
    // ended early on Stop.
    void finished(int result, int sent, bool stopped);

private:
    void Join();

    std::unique_ptr<QThread> m_pThread;
    bool m_bRunning = false;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_sent{0};
    std::atomic<bool> m_stoppedEarly{false};
    int m_result = 0;
};
