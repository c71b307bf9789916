#pragma once

#include "journal/CJournalFile.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

// Appends records to a locked journal as they come: each reaches the kernel at once, so
// a killed program loses nothing. A thread of its own flushes them to the disk
// (fdatasync) at most once a period, so the caller never waits on the disk; Sync flushes
// now. The first failure, of a write or of a flush, makes every later call fail.
class CJournalWriter
{
public:
    explicit CJournalWriter(CJournalFile file,
                            std::chrono::milliseconds syncPeriod = std::chrono::seconds(1));
    ~CJournalWriter(); // flushes what is not on the disk yet; the file stays
    CJournalWriter(const CJournalWriter&) = delete;
    CJournalWriter& operator=(const CJournalWriter&) = delete;

    bool Append(std::string_view records);
    bool Sync();
    // Removes the file; the writer is done.
    void Remove();

    const std::string& Path() const { return m_file.Path(); }
    // Why the writer failed; empty while it works.
    std::string Error() const;
    // Flushes done by the thread (tests).
    int BackgroundSyncs() const { return m_nSyncs.load(); }

private:
    void SyncLoop();
    void StopSyncThread();
    void SetError(std::string error);

    CJournalFile m_file;
    const std::chrono::milliseconds m_syncPeriod;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_bDirty = false;
    bool m_bStop = false;
    std::string m_error;
    std::atomic<bool> m_bFailed{false};
    std::atomic<int> m_nSyncs{0};
    std::thread m_syncer;
};
