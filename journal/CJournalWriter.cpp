#include "journal/CJournalWriter.h"

#include "journal/CJournalFolder.h"
#include "journal/ScanJournalFormat.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kUnfinishedSuffix[] = ".new";
// Room kept allocated past a journal's end, so that on a full disk the record that says
// why it stopped still fits. It is taken again whenever less than kStopRoom is left: an
// eighth of what the journal holds (from 4 KB to 1 MB), so a large journal asks seldom,
// or, where the disk has no more, just what the records need.
constexpr off_t kStopRoom = 1024;
constexpr off_t kLeastReserve = 4096;
constexpr off_t kMostReserve = 1 << 20;

bool WriteAll(int fd, std::string_view bytes, std::size_t& written)
{
    written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

struct CJournalWriter::Journal
{
    std::string name;
    int fd = -1;
    off_t size = 0;        // what this writer has put in the file
    off_t reserved = 0;    // allocated up to here
    bool reserving = true; // false where the file system keeps no room ahead
    bool dirty = false;
    bool failed = false;
    bool stopped = false;
    std::string error;
    Clock::time_point lastSync;
    std::uint64_t lastUse = 0;
};

CJournalWriter::CJournalWriter(const CJournalFolder& folder, std::chrono::milliseconds syncPeriod,
                               std::size_t openFiles)
    : m_folder(folder), m_syncPeriod(syncPeriod), m_nOpenFiles(std::max<std::size_t>(1, openFiles))
{}

CJournalWriter::~CJournalWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_one();
    if (m_syncer.joinable())
        m_syncer.join();
    std::unique_lock lock(m_mutex);
    FlushRetired(lock);
    lock.unlock();
    for (const auto& entry : m_journals)
        CloseFile(*entry.second, true);
}

std::shared_ptr<CJournalWriter::Journal> CJournalWriter::Find(Id id) const
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_journals.find(id);
    return it == m_journals.end() ? nullptr : it->second;
}

CJournalWriter::Id CJournalWriter::Add(std::shared_ptr<Journal> journal)
{
    StartSyncThread();
    journal->lastSync = Clock::now() - m_syncPeriod;
    journal->lastUse = ++m_nUse;
    const std::lock_guard lock(m_mutex);
    const Id id = m_nextId++;
    m_journals.emplace(id, std::move(journal));
    return id;
}

void CJournalWriter::StartSyncThread()
{
    if (!m_syncer.joinable())
        m_syncer = std::thread([this] { SyncLoop(); });
}

std::size_t CJournalWriter::OpenDescriptors() const
{
    const std::lock_guard lock(m_mutex);
    return static_cast<std::size_t>(
        std::count_if(m_journals.begin(), m_journals.end(),
                      [](const auto& entry) { return entry.second->fd >= 0; }));
}

std::string CJournalWriter::Name(Id id) const
{
    const auto journal = Find(id);
    return journal ? journal->name : std::string();
}

std::string CJournalWriter::Path(Id id) const
{
    const auto journal = Find(id);
    return journal ? m_folder.PathOf(journal->name) : std::string();
}

std::string CJournalWriter::Error(Id id) const
{
    const auto journal = Find(id);
    const std::lock_guard lock(m_mutex);
    return journal ? journal->error : std::string();
}

void CJournalWriter::Fail(Journal& journal, std::string error)
{
    const std::lock_guard lock(m_mutex);
    if (!journal.failed) {
        journal.failed = true;
        journal.error = std::move(error);
    }
}

void CJournalWriter::CloseFile(Journal& journal, bool flush)
{
    int fd = -1;
    bool dirty = false;
    {
        const std::lock_guard lock(m_mutex);
        fd = journal.fd;
        dirty = journal.dirty && !journal.failed;
    }
    if (fd < 0)
        return;
    if (flush && dirty && ::fdatasync(fd) != 0)
        Fail(journal, SystemError("cannot flush " + m_folder.PathOf(journal.name)));
    {
        const std::lock_guard lock(m_mutex);
        journal.fd = -1;
        journal.dirty = false;
    }
    ::close(fd);
}

void CJournalWriter::Retire(const std::shared_ptr<Journal>& journal)
{
    {
        const std::lock_guard lock(m_mutex);
        // As many waiting as may be open: beyond that the caller flushes it itself, so the
        // descriptors held stay few however fast journals come.
        if (journal->dirty && !journal->failed && m_retired.size() < m_nOpenFiles) {
            journal->dirty = false;
            m_retired.emplace_back(std::exchange(journal->fd, -1), journal);
            m_wake.notify_one();
            return;
        }
    }
    CloseFile(*journal, true);
}

void CJournalWriter::FlushRetired(std::unique_lock<std::mutex>& lock)
{
    while (!m_retired.empty()) {
        const auto [fd, journal] = m_retired.back();
        m_retired.pop_back();
        const std::string path = m_folder.PathOf(journal->name);
        lock.unlock();
        const bool ok = ::fdatasync(fd) == 0;
        const std::string error = ok ? std::string() : SystemError("cannot flush " + path);
        ::close(fd);
        lock.lock();
        if (!ok && !journal->failed) {
            journal->failed = true;
            journal->error = error;
        }
    }
}

bool CJournalWriter::EnsureOpen(Journal& journal)
{
    journal.lastUse = ++m_nUse;
    if (journal.fd >= 0)
        return true;
    for (;;) {
        std::shared_ptr<Journal> oldest;
        std::size_t open = 0;
        {
            const std::lock_guard lock(m_mutex);
            for (const auto& entry : m_journals) {
                const auto& other = entry.second;
                if (other->fd < 0)
                    continue;
                ++open;
                if (!oldest || other->lastUse < oldest->lastUse)
                    oldest = other;
            }
        }
        if (open < m_nOpenFiles || !oldest)
            break;
        Retire(oldest);
    }
    const int fd =
        ::openat(m_folder.Fd(), journal.name.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    struct stat info
    {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        Fail(journal, SystemError("cannot open " + m_folder.PathOf(journal.name)));
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    const std::lock_guard lock(m_mutex);
    journal.fd = fd;
    journal.size = info.st_size;
    return true;
}

bool CJournalWriter::WriteRecords(Journal& journal, std::string_view records, bool last)
{
    const auto length = static_cast<off_t>(records.size());
    if (!last && journal.reserving && journal.size + length + kStopRoom > journal.reserved) {
        const off_t ample = std::clamp(journal.size / 8, kLeastReserve, kMostReserve);
        bool kept = false;
        for (const off_t room : {ample, kStopRoom}) {
            kept = ::fallocate(journal.fd, FALLOC_FL_KEEP_SIZE, journal.size, length + room) == 0;
            if (kept) {
                journal.reserved = journal.size + length + room;
                break;
            }
            if (errno != ENOSPC && errno != EDQUOT)
                break;
        }
        if (!kept && (errno == ENOSPC || errno == EDQUOT)) {
            // Full: these records are not written, and the room kept before takes the
            // stop record.
            Fail(journal, SystemError("cannot write " + m_folder.PathOf(journal.name)));
            return false;
        }
        journal.reserving = kept; // else the file system keeps no room ahead: best effort
    }
    std::size_t written = 0;
    if (WriteAll(journal.fd, records, written)) {
        journal.size += static_cast<off_t>(written);
        return true;
    }
    std::string error = SystemError("cannot write " + m_folder.PathOf(journal.name));
    // A record cut short by the failure goes again; every whole one stays.
    const std::size_t lineEnd = records.substr(0, written).rfind('\n');
    const std::size_t whole = lineEnd == std::string_view::npos ? 0 : lineEnd + 1;
    if (whole != written) {
        // Should the cut fail too, readers leave the torn record out.
        [[maybe_unused]] const int cut =
            ::ftruncate(journal.fd, journal.size + static_cast<off_t>(whole));
    }
    journal.size += static_cast<off_t>(whole);
    Fail(journal, std::move(error));
    return false;
}

void CJournalWriter::MarkDirty(Journal& journal)
{
    bool wake = false;
    {
        const std::lock_guard lock(m_mutex);
        wake = !journal.dirty;
        journal.dirty = true;
    }
    if (wake)
        m_wake.notify_one();
}

CJournalWriter::Id CJournalWriter::Create(const std::string& name, std::string_view records,
                                          std::string& error)
{
    const int dir = m_folder.Fd();
    const std::string temporary = name + kUnfinishedSuffix;
    const std::string shown = m_folder.PathOf(temporary);
    const int fd =
        ::openat(dir, temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error = SystemError("cannot create " + shown);
        return 0;
    }
    const std::string text = std::string(kJournalVersionLine) + std::string(records);
    std::size_t written = 0;
    bool ok = WriteAll(fd, text, written);
    if (!ok)
        error = SystemError("cannot write " + shown);
    // A link, not a rename: an existing journal of the same name is never replaced.
    if (ok && ::linkat(dir, temporary.c_str(), dir, name.c_str(), 0) != 0) {
        error = SystemError("cannot name " + m_folder.PathOf(name));
        ok = false;
    }
    ::unlinkat(dir, temporary.c_str(), 0);
    ::close(fd);
    if (!ok)
        return 0;
    auto journal = std::make_shared<Journal>();
    journal->name = name;
    journal->size = static_cast<off_t>(text.size());
    const Id id = Add(journal);
    // Kept open: the scan's points follow at once.
    if (!EnsureOpen(*journal)) {
        error = journal->error;
        Remove(id, error);
        return 0;
    }
    MarkDirty(*journal);
    return id;
}

CJournalWriter::Id CJournalWriter::Continue(const std::string& name, std::string& error)
{
    const std::string shown = m_folder.PathOf(name);
    const int fd =
        ::openat(m_folder.Fd(), name.c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    struct stat info
    {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = fd < 0 || !S_ISREG(info.st_mode) ? SystemError("cannot open " + shown)
                                                 : SystemError("cannot use " + shown);
        if (fd >= 0)
            ::close(fd);
        return 0;
    }
    char last = '\n';
    std::size_t written = 0;
    const bool ok = info.st_size == 0 || (::pread(fd, &last, 1, info.st_size - 1) == 1 &&
                                          (last == '\n' || WriteAll(fd, "\n", written)));
    ::close(fd);
    if (!ok) {
        error = SystemError("cannot write " + shown);
        return 0;
    }
    auto journal = std::make_shared<Journal>();
    journal->name = name;
    return Add(journal);
}

bool CJournalWriter::Append(Id id, std::string_view records)
{
    std::shared_ptr<Journal> journal;
    {
        const std::lock_guard lock(m_mutex);
        const auto it = m_journals.find(id);
        if (it == m_journals.end() || it->second->failed || it->second->stopped)
            return false;
        journal = it->second;
    }
    if (!EnsureOpen(*journal) || !WriteRecords(*journal, records))
        return false;
    MarkDirty(*journal);
    return true;
}

bool CJournalWriter::Replace(Id id, std::string_view records)
{
    const auto journal = Find(id);
    if (!journal)
        return false;
    {
        const std::lock_guard lock(m_mutex);
        if (journal->failed || journal->stopped)
            return false;
    }
    const int dir = m_folder.Fd();
    const std::string temporary = journal->name + kUnfinishedSuffix;
    ::unlinkat(dir, temporary.c_str(), 0);
    const int fd =
        ::openat(dir, temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    const std::string text = std::string(kJournalVersionLine) + std::string(records);
    std::size_t written = 0;
    // On the disk before it takes the name: the journal it replaces is never lost to a
    // new one only half written.
    if (fd < 0 || !WriteAll(fd, text, written) || ::fdatasync(fd) != 0 ||
        ::fcntl(fd, F_SETFL, O_APPEND) != 0 ||
        ::renameat(dir, temporary.c_str(), dir, journal->name.c_str()) != 0) {
        Fail(*journal, SystemError("cannot write " + m_folder.PathOf(temporary)));
        if (fd >= 0) {
            ::unlinkat(dir, temporary.c_str(), 0);
            ::close(fd);
        }
        return false;
    }
    CloseFile(*journal, false);
    ::close(fd);
    {
        const std::lock_guard lock(m_mutex);
        journal->size = static_cast<off_t>(text.size());
    }
    return EnsureOpen(*journal);
}

bool CJournalWriter::Sync(Id id)
{
    const auto journal = Find(id);
    if (!journal)
        return false;
    int fd = -1;
    {
        const std::lock_guard lock(m_mutex);
        if (journal->failed)
            return false;
        fd = journal->fd;
    }
    // A closed journal was flushed when it was closed.
    if (fd < 0)
        return true;
    if (::fdatasync(fd) != 0) {
        Fail(*journal, SystemError("cannot flush " + m_folder.PathOf(journal->name)));
        return false;
    }
    const std::lock_guard lock(m_mutex);
    journal->dirty = false;
    journal->lastSync = Clock::now();
    return true;
}

void CJournalWriter::Stop(Id id, std::string_view records)
{
    const auto journal = Find(id);
    if (!journal)
        return;
    {
        const std::lock_guard lock(m_mutex);
        if (journal->stopped)
            return;
        journal->stopped = true;
    }
    // Into the room kept for it: a full disk has none to give.
    if (EnsureOpen(*journal) && WriteRecords(*journal, records, true))
        ::fdatasync(journal->fd);
    CloseFile(*journal, false);
}

bool CJournalWriter::Remove(Id id, std::string& error)
{
    const auto journal = Find(id);
    if (!journal)
        return true;
    CloseFile(*journal, false);
    {
        const std::lock_guard lock(m_mutex);
        m_journals.erase(id);
    }
    if (::unlinkat(m_folder.Fd(), journal->name.c_str(), 0) == 0)
        return true;
    error = SystemError("cannot remove " + m_folder.PathOf(journal->name));
    return false;
}

void CJournalWriter::Release(Id id)
{
    const auto journal = Find(id);
    if (!journal)
        return;
    CloseFile(*journal, true);
    const std::lock_guard lock(m_mutex);
    m_journals.erase(id);
}

void CJournalWriter::SyncLoop()
{
    std::unique_lock lock(m_mutex);
    while (!m_bStop) {
        FlushRetired(lock);
        const auto now = Clock::now();
        auto next = Clock::time_point::max();
        std::vector<std::shared_ptr<Journal>> due;
        for (const auto& entry : m_journals) {
            const auto& journal = entry.second;
            if (!journal->dirty || journal->failed || journal->fd < 0)
                continue;
            const auto when = journal->lastSync + m_syncPeriod;
            if (when <= now)
                due.push_back(journal);
            else
                next = std::min(next, when);
        }
        if (due.empty()) {
            if (!m_retired.empty() || m_bStop)
                continue;
            if (next == Clock::time_point::max())
                m_wake.wait(lock);
            else
                m_wake.wait_until(lock, next);
            continue;
        }
        for (const auto& journal : due) {
            if (m_bStop)
                break;
            // A copy of the descriptor: the writer may close its own meanwhile.
            const int fd = journal->fd >= 0 ? ::dup(journal->fd) : -1;
            journal->lastSync = now;
            if (fd < 0)
                continue; // no descriptor to spare now: again in a period
            journal->dirty = false;
            const std::string path = m_folder.PathOf(journal->name);
            lock.unlock();
            const bool ok = ::fdatasync(fd) == 0;
            const std::string error = ok ? std::string() : SystemError("cannot flush " + path);
            ::close(fd);
            ++m_nSyncs;
            lock.lock();
            if (!ok && !journal->failed) {
                journal->failed = true;
                journal->error = error;
            }
        }
    }
}
