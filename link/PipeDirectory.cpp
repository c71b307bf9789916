#include "link/PipeDirectory.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString FromEnv(const char* name)
{
    const QByteArray value = qgetenv(name);
    return value.isEmpty() ? QString() : QFile::decodeName(value);
}

} // namespace

PipeDirectoryResult CheckPipeDirectory(const QString& dir)
{
    PipeDirectoryResult result;
    QString path = dir;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const QByteArray native = QFile::encodeName(path);

    if (::mkdir(native.constData(), 0700) == 0) {
        // The umask may have taken more than group and others: make it exactly 0700.
        ::chmod(native.constData(), 0700);
    } else if (errno != EEXIST) {
        result.error = QStringLiteral("Vespira: cannot create the pipe directory %1: %2")
                           .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return result;
    }

    struct stat st
    {};
    // lstat: a symbolic link planted in place of the directory is not followed.
    if (::lstat(native.constData(), &st) != 0) {
        result.error = QStringLiteral("Vespira: cannot examine the pipe directory %1: %2")
                           .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return result;
    }
    if (S_ISLNK(st.st_mode)) {
        // A link the user set up on purpose (through the variables) is judged by its
        // target; one that someone else planted is refused.
        if (st.st_uid != ::getuid()) {
            result.error =
                QStringLiteral("Vespira: the pipe directory %1 is a link owned by another "
                               "user; refused")
                    .arg(path);
            return result;
        }
        if (::stat(native.constData(), &st) != 0) {
            result.error = QStringLiteral("Vespira: cannot examine the pipe directory %1: %2")
                               .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return result;
        }
    }
    if (!S_ISDIR(st.st_mode)) {
        result.error =
            QStringLiteral("Vespira: the pipe directory %1 is not a directory; refused").arg(path);
        return result;
    }
    if (st.st_uid != ::getuid()) {
        result.error =
            QStringLiteral("Vespira: the pipe directory %1 is owned by another user; refused")
                .arg(path);
        return result;
    }
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        result.error = QStringLiteral("Vespira: the pipe directory %1 is writable by group or "
                                      "others; refused (chmod 700 %1)")
                           .arg(path);
        return result;
    }
    result.path = path;
    return result;
}

PipeDirectoryResult PipeDirectory()
{
    QString dir = FromEnv("VESPIRA_PIPE_DIR");
    if (dir.isEmpty())
        dir = FromEnv("XDG_RUNTIME_DIR");
    if (dir.isEmpty())
        dir = QStringLiteral("/tmp/vespira-%1").arg(::getuid());
    return CheckPipeDirectory(dir);
}
