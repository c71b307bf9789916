#include "journal/CJournalWriter.h"

#include <cerrno>
#include <unistd.h>

CJournalWriter::CJournalWriter(CJournalFile file, std::chrono::milliseconds syncPeriod)
    : m_file(std::move(file)), m_syncPeriod(syncPeriod), m_syncer([this] { SyncLoop(); })
{}

CJournalWriter::~CJournalWriter()
{
    StopSyncThread();
    if (m_file.IsOpen() && m_bDirty && !m_bFailed)
        ::fdatasync(m_file.Fd());
}

void CJournalWriter::StopSyncThread()
{
    {
        const std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_one();
    if (m_syncer.joinable())
        m_syncer.join();
}

void CJournalWriter::SyncLoop()
{
    std::unique_lock lock(m_mutex);
    auto last = std::chrono::steady_clock::now() - m_syncPeriod;
    for (;;) {
        m_wake.wait(lock, [this] { return m_bDirty || m_bStop; });
        if (m_bStop)
            return;
        if (m_wake.wait_until(lock, last + m_syncPeriod, [this] { return m_bStop; }))
            return;
        m_bDirty = false;
        lock.unlock();
        const bool ok = ::fdatasync(m_file.Fd()) == 0;
        const std::string error = ok ? std::string() : SystemError("cannot flush " + Path());
        last = std::chrono::steady_clock::now();
        ++m_nSyncs;
        lock.lock();
        if (!ok && m_error.empty()) {
            m_error = error;
            m_bFailed = true;
        }
    }
}

void CJournalWriter::SetError(std::string error)
{
    const std::lock_guard lock(m_mutex);
    if (m_error.empty())
        m_error = std::move(error);
    m_bFailed = true;
}

std::string CJournalWriter::Error() const
{
    const std::lock_guard lock(m_mutex);
    return m_error;
}

bool CJournalWriter::Append(std::string_view records)
{
    if (m_bFailed || !m_file.IsOpen())
        return false;
    while (!records.empty()) {
        const ssize_t n = ::write(m_file.Fd(), records.data(), records.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            SetError(n < 0 ? SystemError("cannot write " + Path()) : "cannot write " + Path());
            return false;
        }
        records.remove_prefix(static_cast<std::size_t>(n));
    }
    {
        const std::lock_guard lock(m_mutex);
        if (m_bDirty)
            return true;
        m_bDirty = true;
    }
    m_wake.notify_one();
    return true;
}

bool CJournalWriter::Sync()
{
    if (m_bFailed || !m_file.IsOpen())
        return false;
    if (::fdatasync(m_file.Fd()) != 0) {
        SetError(SystemError("cannot flush " + Path()));
        return false;
    }
    return true;
}

void CJournalWriter::Remove()
{
    StopSyncThread();
    m_file.Remove();
}
