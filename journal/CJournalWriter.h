#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

class CJournalFolder;

// Writes the program's journals, in their folder. Each record reaches the kernel at once,
// so a killed program loses nothing; one thread for all of them flushes each journal that
// changed to the disk (fdatasync) at most once a period, so the caller never waits on the
// disk. Only the few journals written last keep a descriptor open, and as many more wait
// a moment for their last flush. The first failure of a
// journal, of a write or of a flush, makes every later call on it fail; what it holds up
// to its last whole record stays.
class CJournalWriter
{
public:
    using Id = std::uint64_t; // 0 is none

    explicit CJournalWriter(const CJournalFolder& folder,
                            std::chrono::milliseconds syncPeriod = std::chrono::seconds(1),
                            std::size_t openFiles = 4);
    ~CJournalWriter(); // flushes what is not on the disk yet; the files stay
    CJournalWriter(const CJournalWriter&) = delete;
    CJournalWriter& operator=(const CJournalWriter&) = delete;

    // A new journal of that name: the version line and `records`, made under a name of
    // its own first and linked in whole, never over an existing file. 0 when it failed.
    Id Create(const std::string& name, std::string_view records, std::string& error);
    // An existing journal to go on with. A last record cut short gets its line end, so
    // the records after it stay readable.
    Id Continue(const std::string& name, std::string& error);

    bool Append(Id id, std::string_view records);
    // The version line and `records` in place of everything the journal held, at once.
    bool Replace(Id id, std::string_view records);
    bool Sync(Id id);
    // After a failure: `records` (the stop record) as the journal's last, if they can be
    // written; nothing more is taken.
    void Stop(Id id, std::string_view records);
    // The file goes; the journal is done.
    bool Remove(Id id, std::string& error);
    // Flushed and let go; the file stays.
    void Release(Id id);

    std::string Name(Id id) const;
    std::string Path(Id id) const;
    // Why the journal failed; empty while it works.
    std::string Error(Id id) const;

    // Flushes done by the thread, and descriptors held for journals (tests, benchmark).
    int BackgroundSyncs() const { return m_nSyncs.load(); }
    std::size_t OpenDescriptors() const;

private:
    struct Journal;
    using Clock = std::chrono::steady_clock;

    std::shared_ptr<Journal> Find(Id id) const;
    Id Add(std::shared_ptr<Journal> journal);
    // A descriptor for appending, opening it when it is closed and closing the least
    // recently written one when too many are open.
    bool EnsureOpen(Journal& journal);
    void CloseFile(Journal& journal, bool flush);
    // Closes the descriptor of a journal that has to give it up for another; one with
    // records not on the disk yet is handed to the thread, which flushes and closes it
    // (a few at a time).
    void Retire(const std::shared_ptr<Journal>& journal);
    // Flushes and closes the descriptors handed over, outside the lock.
    void FlushRetired(std::unique_lock<std::mutex>& lock);
    void Fail(Journal& journal, std::string error);
    // `last`: the stop record, written into the room kept without asking for more.
    bool WriteRecords(Journal& journal, std::string_view records, bool last = false);
    void MarkDirty(Journal& journal);
    void SyncLoop();
    void StartSyncThread();

    const CJournalFolder& m_folder;
    const std::chrono::milliseconds m_syncPeriod;
    const std::size_t m_nOpenFiles;

    // Guards every journal's state the thread reads: name, descriptor, dirty and error.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::map<Id, std::shared_ptr<Journal>> m_journals;
    std::vector<std::pair<int, std::shared_ptr<Journal>>> m_retired;
    Id m_nextId = 1;
    std::uint64_t m_nUse = 0;
    bool m_bStop = false;
    std::atomic<int> m_nSyncs{0};
    std::thread m_syncer;
};
