#include "app/CSingleInstance.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QPointer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

ino_t InodeOf(const QString& path)
{
    struct stat info
    {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

CSingleInstance::CSingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_strPath(std::move(socketPath)),
      m_strLockPath(QFileInfo(m_strPath).path() + QStringLiteral("/vespira.lock"))
{
    connect(&m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
    connect(&m_watch, &QTimer::timeout, this, &CSingleInstance::Watch);
}

CSingleInstance::~CSingleInstance()
{
    m_server.close();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

bool CSingleInstance::SendRequest(const QString& socketPath, const QByteArray& file, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(std::min(timeoutMs, 2000)))
        return false;
    QByteArray line = file;
    line.replace('\n', ' ');
    line.append('\n');
    socket.write(line);
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
        return false;
    QByteArray reply;
    while (!reply.contains('\n')) {
        if (!socket.waitForReadyRead(
                static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))))
            break;
        reply += socket.readAll();
    }
    socket.disconnectFromServer();
    return reply.startsWith("OK");
}

CSingleInstance::Result CSingleInstance::Start(const QByteArray& file, int timeoutMs)
{
    const QByteArray lockPath = QFile::encodeName(m_strLockPath);
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        m_strError = QStringLiteral("cannot open %1: %2")
                         .arg(m_strLockPath, QString::fromLocal8Bit(std::strerror(errno)));
        return Result::NoGuard;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        m_lockFd = fd;
        // Nobody else runs: a socket file left by a copy that died is replaced. Should the
        // socket not be made now, the watch makes it later.
        if (!Listen())
            m_strError =
                QStringLiteral("cannot listen at %1: %2").arg(m_strPath, m_server.errorString());
        m_watch.start(kWatchMs);
        return Result::First;
    }
    const int error = errno;
    ::close(fd);
    if (error != EWOULDBLOCK) {
        m_strError = QStringLiteral("cannot lock %1: %2")
                         .arg(m_strLockPath, QString::fromLocal8Bit(std::strerror(error)));
        return Result::NoGuard;
    }
    // A copy runs: it takes the file once its socket is there and a place is free.
    const QDeadlineTimer deadline(timeoutMs);
    do {
        if (SendRequest(m_strPath, file,
                        static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))))
            return Result::HandedOver;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (!deadline.hasExpired());
    m_strError = QStringLiteral("another Vespira runs (it holds %1) but did not answer at %2")
                     .arg(m_strLockPath, m_strPath);
    return Result::NoAnswer;
}

bool CSingleInstance::Listen()
{
    QLocalServer::removeServer(m_strPath);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_strPath))
        return false;
    m_socketInode = InodeOf(m_strPath);
    return true;
}

void CSingleInstance::Watch()
{
    // The lock file itself removed: taken again, so a later start still finds it held.
    struct stat held
    {};
    struct stat named
    {};
    if (::fstat(m_lockFd, &held) == 0 &&
        (::lstat(QFile::encodeName(m_strLockPath).constData(), &named) != 0 ||
         named.st_ino != held.st_ino)) {
        const int fd = ::open(QFile::encodeName(m_strLockPath).constData(),
                              O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::close(m_lockFd);
            m_lockFd = fd;
        } else if (fd >= 0) {
            ::close(fd);
        }
    }
    if (m_server.isListening() && m_socketInode != 0 && InodeOf(m_strPath) == m_socketInode)
        return;
    // Gone, replaced, or closed by a failed accept (out of descriptors).
    m_server.close();
    Listen();
}

void CSingleInstance::OnNewConnection()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        if (m_nOpen >= kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_nOpen;
        connect(socket, &QObject::destroyed, this, [this] { --m_nOpen; });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A client that says nothing in time gives its place up.
        QTimer::singleShot(kConnectionTimeoutMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        QPointer<QLocalSocket> guard(socket);
        auto buffer = std::make_shared<QByteArray>();
        auto handle = [this, guard, buffer]() {
            if (!guard)
                return;
            *buffer += guard->readAll();
            const qsizetype end = buffer->indexOf('\n');
            if (end < 0) {
                if (buffer->size() > 65536)
                    guard->abort();
                return;
            }
            const QByteArray file = buffer->left(end);
            buffer->clear();
            guard->write("OK\n");
            guard->flush();
            guard->disconnectFromServer();
            emit activateRequested(file);
        };
        connect(socket, &QLocalSocket::readyRead, this, handle);
        if (socket->bytesAvailable() > 0)
            handle();
    }
}
