#include "journal/CJournalFolder.h"

#include "journal/ScanJournalFormat.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kOwnerPrefix[] = "owner-";
constexpr char kOwnerSuffix[] = ".lock";
constexpr char kUnfinishedSuffix[] = ".new";
// A file a program is making is renamed or linked within moments; one this old was left
// by a program that died while making it.
constexpr auto kUnfinishedAge = std::chrono::minutes(1);

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool AllDigits(const std::string& text, std::size_t count)
{
    return text.size() == count &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsReadOnlyError(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// What makes a folder unsafe to keep journals in, or nothing.
std::string FolderProblem(const struct stat& info, const std::string& path)
{
    if (S_ISLNK(info.st_mode))
        return path + " is a symbolic link";
    if (!S_ISDIR(info.st_mode))
        return path + " is not a folder";
    if (info.st_uid != ::getuid())
        return path + " belongs to user " + std::to_string(info.st_uid);
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return path + " is writable by others";
    return {};
}

std::string OwnerFile(const std::string& owner)
{
    return kOwnerPrefix + owner + kOwnerSuffix;
}

std::string Stamp(std::time_t when)
{
    char stamp[32] = "";
    std::tm utc{};
    gmtime_r(&when, &utc);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);
    return stamp;
}

// The date-time part of a journal's name, or "" when it has none.
std::string StampOf(const std::string& name)
{
    return JournalOwnerOf(name).empty() ? std::string() : name.substr(5, 15);
}

} // namespace

std::string SystemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

std::string JournalOwnerOf(const std::string& name)
{
    // scan-YYYYmmdd-HHMMSS-OWNER-N.journal
    const std::string prefix = "scan-";
    if (!StartsWith(name, prefix) || !EndsWith(name, kJournalSuffix))
        return {};
    const std::string middle =
        name.substr(prefix.size(), name.size() - prefix.size() - std::strlen(kJournalSuffix));
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const std::size_t dash = middle.find('-', start);
        parts.push_back(middle.substr(start, dash - start));
        if (dash == std::string::npos)
            break;
        start = dash + 1;
    }
    if (parts.size() != 4 || !AllDigits(parts[0], 8) || !AllDigits(parts[1], 6) ||
        parts[2].empty() || !AllDigits(parts[3], parts[3].size()) || parts[3].empty())
        return {};
    return parts[2];
}

CJournalFolder::CJournalFolder(std::string path) : m_path(std::move(path)) {}

CJournalFolder::~CJournalFolder()
{
    Close();
}

void CJournalFolder::Close()
{
    if (m_ownerFd >= 0) {
        ::unlinkat(m_fd, OwnerFile(m_owner).c_str(), 0);
        ::close(m_ownerFd);
        m_ownerFd = -1;
    }
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_owner.clear();
}

bool CJournalFolder::OpenChecked(std::string& error)
{
    const int fd =
        ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (m_bChecked ? O_NOFOLLOW : 0));
    if (fd < 0) {
        if (errno == ELOOP)
            error = m_path + " is a symbolic link";
        else if (errno == ENOTDIR)
            error = m_path + " is not a folder";
        else
            error = SystemError("cannot open " + m_path);
        return false;
    }
    struct stat info
    {};
    if (::fstat(fd, &info) != 0) {
        error = SystemError("cannot use " + m_path);
        ::close(fd);
        return false;
    }
    if (m_bChecked) {
        if (const std::string problem = FolderProblem(info, m_path); !problem.empty()) {
            error = problem;
            ::close(fd);
            return false;
        }
    }
    m_fd = fd;
    return true;
}

bool CJournalFolder::OpenToRead(std::string& error, bool checked)
{
    error.clear();
    if (m_fd >= 0)
        return true;
    m_bChecked = checked;
    struct stat info
    {};
    if ((checked ? ::lstat(m_path.c_str(), &info) : ::stat(m_path.c_str(), &info)) != 0) {
        if (errno != ENOENT)
            error = SystemError("cannot use " + m_path);
        return false;
    }
    if (checked) {
        if (const std::string problem = FolderProblem(info, m_path); !problem.empty()) {
            error = problem;
            return false;
        }
    }
    return OpenChecked(error);
}

bool CJournalFolder::OpenToWrite(std::string& error)
{
    error.clear();
    if (m_fd >= 0) {
        struct stat info
        {};
        // A folder removed while the program ran is made anew; one opened to be read
        // is made private before it is written in.
        if (::fstat(m_fd, &info) != 0 || info.st_nlink == 0) {
            Close();
        } else {
            if ((info.st_mode & 0777) != 0700 && ::fchmod(m_fd, 0700) != 0) {
                error = SystemError("cannot make " + m_path + " private");
                return false;
            }
            return TakeOwnerLock(error);
        }
    }
    m_bChecked = true;
    // Missing parents are made as the folder itself is, for this user only.
    for (std::size_t slash = m_path.find('/', 1); slash != std::string::npos;
         slash = m_path.find('/', slash + 1)) {
        const std::string parent = m_path.substr(0, slash);
        if (::mkdir(parent.c_str(), 0700) != 0 && errno != EEXIST) {
            error = SystemError("cannot create " + parent);
            return false;
        }
    }
    if (::mkdir(m_path.c_str(), 0700) != 0 && errno != EEXIST) {
        error = SystemError("cannot create " + m_path);
        return false;
    }
    struct stat info
    {};
    if (::lstat(m_path.c_str(), &info) != 0) {
        error = SystemError("cannot use " + m_path);
        return false;
    }
    if (S_ISLNK(info.st_mode) || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
        error = FolderProblem(info, m_path);
        return false;
    }
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        error = SystemError("cannot open " + m_path);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    // The user's own folder is made private; one another user owns is refused above.
    if (info.st_uid != ::getuid() || ((info.st_mode & 0777) != 0700 && ::fchmod(fd, 0700) != 0)) {
        error = info.st_uid != ::getuid() ? FolderProblem(info, m_path)
                                          : SystemError("cannot make " + m_path + " private");
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return TakeOwnerLock(error);
}

bool CJournalFolder::TakeOwnerLock(std::string& error)
{
    if (m_ownerFd >= 0)
        return true;
    std::random_device random;
    char tag[16];
    std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(random()));
    const std::string owner = std::to_string(::getpid()) + "x" + tag;
    // Locked before it gets its name, so nobody finds it unlocked and takes it for left.
    const std::string temporary = OwnerFile(owner) + kUnfinishedSuffix;
    const int fd =
        ::openat(m_fd, temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error = SystemError("cannot create " + PathOf(temporary));
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        ::renameat(m_fd, temporary.c_str(), m_fd, OwnerFile(owner).c_str()) != 0) {
        error = SystemError("cannot lock " + PathOf(OwnerFile(owner)));
        const int code = errno;
        ::unlinkat(m_fd, temporary.c_str(), 0);
        ::close(fd);
        errno = code;
        return false;
    }
    m_ownerFd = fd;
    m_owner = owner;
    return true;
}

std::vector<std::string> CJournalFolder::JournalNames() const
{
    std::vector<std::string> names;
    const int fd = ::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (dir == nullptr) {
        if (fd >= 0)
            ::close(fd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (EndsWith(name, kJournalSuffix))
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool CJournalFolder::OwnerRuns(const std::string& owner) const
{
    // A program of the first version named its journals by process id, without an owner
    // file; its lock is on the journal itself.
    if (owner.find('x') == std::string::npos)
        return false;
    const int fd = ::openat(m_fd, OwnerFile(owner).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno != ENOENT; // what cannot be looked at is not taken
    const bool locked = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return locked;
}

CJournalFolder::Use CJournalFolder::UseOf(const std::string& name) const
{
    const std::string owner = JournalOwnerOf(name);
    if (!owner.empty() && owner == m_owner)
        return Use::Ours;
    const int fd =
        ::openat(m_fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && (errno == EMFILE || errno == ENFILE))
        return Use::Running; // cannot tell now: left for the next look
    if (fd >= 0) {
        const bool locked = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        ::close(fd);
        if (locked)
            return Use::Running;
    }
    return !owner.empty() && OwnerRuns(owner) ? Use::Running : Use::Free;
}

std::string CJournalFolder::NewJournalName(std::time_t began)
{
    const std::string stamp = Stamp(began);
    std::string name;
    do {
        name =
            "scan-" + stamp + "-" + m_owner + "-" + std::to_string(++m_nSequence) + kJournalSuffix;
    } while (::faccessat(m_fd, name.c_str(), F_OK, AT_SYMLINK_NOFOLLOW) == 0);
    return name;
}

CJournalFolder::Take CJournalFolder::TakeOver(const std::string& name, std::string& taken,
                                              std::string& error)
{
    if (!m_owner.empty() && JournalOwnerOf(name) == m_owner) {
        taken = name;
        return Take::Ok;
    }
    if (m_ownerFd < 0 && !TakeOwnerLock(error))
        return IsReadOnlyError(errno) ? Take::ReadOnly : Take::Failed;
    const std::string stamp = StampOf(name);
    do {
        taken = "scan-" + (stamp.empty() ? Stamp(std::time(nullptr)) : stamp) + "-" + m_owner +
                "-" + std::to_string(++m_nSequence) + kJournalSuffix;
    } while (::faccessat(m_fd, taken.c_str(), F_OK, AT_SYMLINK_NOFOLLOW) == 0);
    if (::renameat(m_fd, name.c_str(), m_fd, taken.c_str()) == 0)
        return Take::Ok;
    const int code = errno;
    error = SystemError("cannot take over " + PathOf(name));
    taken.clear();
    if (code == ENOENT)
        return Take::Gone;
    return IsReadOnlyError(code) ? Take::ReadOnly : Take::Failed;
}

bool CJournalFolder::Read(const std::string& name, std::string& text, std::string& error) const
{
    text.clear();
    const int fd =
        ::openat(m_fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = errno == ELOOP ? PathOf(name) + " is a symbolic link"
                               : SystemError("cannot open " + PathOf(name));
        return false;
    }
    struct stat info
    {};
    bool ok = ::fstat(fd, &info) == 0;
    if (!ok)
        error = SystemError("cannot read " + PathOf(name));
    else if (!S_ISREG(info.st_mode))
        error = PathOf(name) + " is not a regular file";
    else if (m_bChecked && info.st_uid != ::getuid())
        error = PathOf(name) + " belongs to user " + std::to_string(info.st_uid);
    ok = ok && error.empty();
    char buffer[1 << 16];
    for (off_t offset = 0; ok;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = SystemError("cannot read " + PathOf(name));
            ok = false;
        } else if (n == 0) {
            break;
        } else {
            text.append(buffer, static_cast<std::size_t>(n));
            offset += n;
        }
    }
    ::close(fd);
    return ok;
}

bool CJournalFolder::Remove(const std::string& name, std::string& error) const
{
    if (::unlinkat(m_fd, name.c_str(), 0) == 0)
        return true;
    error = SystemError("cannot remove " + PathOf(name));
    return false;
}

void CJournalFolder::Sweep() const
{
    std::vector<std::string> entries;
    const int fd = ::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (dir == nullptr) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(dir))
        entries.emplace_back(entry->d_name);
    ::closedir(dir);

    const auto now = std::chrono::system_clock::now();
    const auto old = [this, now](const std::string& name) {
        struct stat info
        {};
        return ::fstatat(m_fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
               S_ISREG(info.st_mode) &&
               now - std::chrono::system_clock::from_time_t(info.st_mtime) > kUnfinishedAge;
    };
    for (const std::string& name : entries) {
        if (EndsWith(name, std::string(kJournalSuffix) + kUnfinishedSuffix)) {
            const std::string owner = JournalOwnerOf(name.substr(0, name.size() - 4));
            if (owner != m_owner && !OwnerRuns(owner) && old(name))
                ::unlinkat(m_fd, name.c_str(), 0);
            continue;
        }
        if (!StartsWith(name, kOwnerPrefix))
            continue;
        if (EndsWith(name, std::string(kOwnerSuffix) + kUnfinishedSuffix)) {
            if (old(name))
                ::unlinkat(m_fd, name.c_str(), 0);
            continue;
        }
        if (!EndsWith(name, kOwnerSuffix))
            continue;
        const std::string owner =
            name.substr(std::strlen(kOwnerPrefix),
                        name.size() - std::strlen(kOwnerPrefix) - std::strlen(kOwnerSuffix));
        if (owner == m_owner || OwnerRuns(owner))
            continue;
        const bool hasJournals =
            std::any_of(entries.begin(), entries.end(), [&owner](const std::string& other) {
                return JournalOwnerOf(other) == owner;
            });
        if (!hasJournals)
            ::unlinkat(m_fd, name.c_str(), 0);
    }
}
