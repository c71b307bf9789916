#include "link/CExchangeThread.h"

#include <QThread>

#include <utility>

CExchangeThread::CExchangeThread(QObject* parent) : QObject(parent) {}

CExchangeThread::~CExchangeThread()
{
    m_stop = true;
    Join();
}

bool CExchangeThread::Start(Exchange exchange)
{
    if (m_bRunning)
        return false;
    Join();
    m_stop = false;
    m_sent = 0;
    m_stoppedEarly = false;
    m_result = 0;
    m_bRunning = true;
    m_pThread.reset(QThread::create([this, exchange = std::move(exchange)] {
        m_result = exchange([this](int sent) {
            m_sent = sent;
            if (!m_stop)
                return true;
            m_stoppedEarly = true;
            return false;
        });
    }));
    // Queued to this object's thread: the result is read there once the worker is done.
    connect(m_pThread.get(), &QThread::finished, this, [this] {
        Join();
        m_bRunning = false;
        emit finished(m_result, m_sent, m_stoppedEarly);
    });
    m_pThread->start();
    return true;
}

void CExchangeThread::Join()
{
    if (m_pThread)
        m_pThread->wait();
}
