#include "base/FilePath.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray RealPath(const QByteArray& path)
{
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.constData(), nullptr),
                                                     &std::free);
    return real ? QByteArray(real.get()) : QByteArray();
}

bool Exists(const QByteArray& path)
{
    struct stat info
    {};
    return ::lstat(path.constData(), &info) == 0;
}

QByteArray FolderOf(const QByteArray& path)
{
    const qsizetype cut = path.lastIndexOf('/');
    if (cut < 0)
        return QByteArrayLiteral(".");
    return cut == 0 ? QByteArrayLiteral("/") : path.left(cut);
}

// The entry of `folder` that Qt shows as `name`; empty when there is none or more than one.
QByteArray EntryShownAs(const QByteArray& folder, const QString& name)
{
    DIR* dir = ::opendir(folder.isEmpty() ? "/" : folder.constData());
    if (dir == nullptr)
        return {};
    QByteArray found;
    int matches = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray bytes(entry->d_name);
        if (QFile::decodeName(bytes) == name) {
            found = bytes;
            ++matches;
        }
    }
    ::closedir(dir);
    return matches == 1 ? found : QByteArray();
}

constexpr off_t kWritebackStep = 1024 * 1024;

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

std::string_view FileNameOf(std::string_view path)
{
    const std::size_t cut = path.find_last_of("/\\");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

QByteArray FileNameOf(const QByteArray& path)
{
    const std::string_view name = FileNameOf(std::string_view(path.constData(), path.size()));
    return QByteArray(name.data(), static_cast<qsizetype>(name.size()));
}

QString DisplayPath(const QByteArray& path)
{
    return QString::fromUtf8(path);
}

QByteArray AbsolutePath(const QByteArray& path)
{
    if (path.isEmpty() || path.startsWith('/'))
        return path;
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd) == nullptr)
        return path;
    QByteArray folder(cwd);
    if (!folder.endsWith('/'))
        folder += '/';
    return folder + path;
}

QByteArray NormalisedPath(const QByteArray& path)
{
    if (path.isEmpty())
        return path;
    const QByteArray real = RealPath(path);
    return real.isEmpty() ? AbsolutePath(path) : real;
}

QByteArray PathFromUser(const QString& path)
{
    const QByteArray plain = QFile::encodeName(path);
    if (!path.contains(QChar::ReplacementCharacter) || Exists(plain))
        return plain;
    // Rebuild it part by part: a part that does not exist as spelled is looked up.
    const QStringList parts = path.split(QLatin1Char('/'));
    QByteArray bytes;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        if (i > 0)
            bytes += '/';
        QByteArray spelled = QFile::encodeName(part);
        if (part.contains(QChar::ReplacementCharacter) && !Exists(bytes + spelled)) {
            const QByteArray entry = EntryShownAs(i == 0 ? QByteArray(".") : bytes, part);
            if (!entry.isEmpty())
                spelled = entry;
        }
        bytes += spelled;
    }
    return bytes;
}

bool WriteFileReplacing(const QByteArray& path, std::string_view bytes, std::string* reason)
{
    return WriteFileReplacing(
        path, [bytes](const ByteWriter& write) { return write(bytes); }, reason);
}

bool WriteFileReplacing(const QByteArray& path,
                        const std::function<bool(const ByteWriter&)>& produce, std::string* reason)
{
    const auto fail = [reason](std::string why) {
        if (reason != nullptr)
            *reason = std::move(why);
        return false;
    };
    QByteArray target = path;
    struct stat link
    {};
    if (::lstat(path.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        const QByteArray real = RealPath(path);
        if (!real.isEmpty())
            target = real;
    }
    struct stat old
    {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        errno = S_ISDIR(old.st_mode) ? EISDIR : EINVAL;
        return fail(S_ISDIR(old.st_mode) ? "it is a folder" : "it is not a regular file");
    }

    const QByteArray folder = FolderOf(target);
    const QByteArray stem = (folder.endsWith('/') ? folder : folder + '/') + ".vespira-" +
                            QByteArray::number(::getpid()) + '-';
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 1000; ++attempt) {
        temp = stem + QByteArray::number(attempt) + ".tmp";
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return fail(std::strerror(errno));
    }
    if (fd < 0)
        return fail("no name for a temporary file is free in its folder");

    // As before; a failure leaves the default mode.
    [[maybe_unused]] const int kept = exists ? ::fchmod(fd, old.st_mode & 07777) : 0;
    // Writeback of what is written starts at once, so the disk works while the next
    // pieces are made and the closing fsync waits for little more than the last.
    off_t written = 0;
    off_t started = 0;
    int error = 0;
    const auto write = [fd, &written, &started, &error](std::string_view bytes) {
        if (!WriteAll(fd, bytes)) {
            error = errno != 0 ? errno : EIO;
            return false;
        }
        written += static_cast<off_t>(bytes.size());
        if (written - started >= kWritebackStep) {
            ::sync_file_range(fd, started, written - started, SYNC_FILE_RANGE_WRITE);
            started = written;
        }
        return true;
    };
    // The first failure is the reason given, in errno and in words; cleaning up must not
    // replace it. A piece that could not be made leaves errno 0.
    bool ok = produce(write);
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        error = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temp.constData(), target.constData()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temp.constData());
        errno = error;
        return fail(error != 0 ? std::strerror(error) : "a part of it could not be made");
    }
    return true;
}
