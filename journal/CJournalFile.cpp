#include "journal/CJournalFile.h"

#include "journal/ScanJournalFormat.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

std::string SystemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

CJournalFile::~CJournalFile()
{
    Close();
}

CJournalFile::CJournalFile(CJournalFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path))
{}

CJournalFile& CJournalFile::operator=(CJournalFile&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

CJournalFile::Result CJournalFile::Create(const std::string& path, CJournalFile& file,
                                          std::string& error)
{
    const std::string temporary = path + ".new";
    const int fd =
        ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error = SystemError("cannot create " + temporary);
        return Result::Failed;
    }
    CJournalFile made;
    made.m_fd = fd;
    made.m_path = temporary;
    const std::size_t size = sizeof kJournalVersionLine - 1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        ::write(fd, kJournalVersionLine, size) != static_cast<ssize_t>(size)) {
        error = SystemError("cannot write " + temporary);
        made.Remove();
        return Result::Failed;
    }
    // A link, not a rename: an existing journal of the same name is never replaced.
    if (::link(temporary.c_str(), path.c_str()) != 0) {
        error = SystemError("cannot name " + path);
        made.Remove();
        return Result::Failed;
    }
    ::unlink(temporary.c_str());
    made.m_path = path;
    file = std::move(made);
    return Result::Ok;
}

CJournalFile::Result CJournalFile::Open(const std::string& path, CJournalFile& file,
                                        std::string& error, bool writable)
{
    const int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        error = SystemError("cannot open " + path);
        return Result::Failed;
    }
    CJournalFile opened;
    opened.m_fd = fd;
    opened.m_path = path;
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = path + ": not a regular file";
        return Result::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            return Result::InUse;
        error = SystemError("cannot lock " + path);
        return Result::Failed;
    }
    file = std::move(opened);
    return Result::Ok;
}

bool CJournalFile::ReadAll(std::string& text, std::string& error) const
{
    text.clear();
    char buffer[1 << 16];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(m_fd, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = SystemError("cannot read " + m_path);
            return false;
        }
        if (n == 0)
            return true;
        text.append(buffer, static_cast<std::size_t>(n));
        offset += n;
    }
}

bool CJournalFile::CutAt(long long length, std::string& error)
{
    if (::ftruncate(m_fd, static_cast<off_t>(length)) != 0 ||
        ::lseek(m_fd, static_cast<off_t>(length), SEEK_SET) < 0) {
        error = SystemError("cannot cut " + m_path);
        return false;
    }
    return true;
}

void CJournalFile::Remove()
{
    if (m_fd >= 0)
        ::unlink(m_path.c_str());
    Close();
}

void CJournalFile::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}
