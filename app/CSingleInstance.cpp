#include "app/CSingleInstance.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>

CSingleInstance::CSingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_strPath(std::move(socketPath))
{
    connect(&m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
}

CSingleInstance::~CSingleInstance()
{
    m_server.close();
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
    // Two starts at the same moment: the lock makes one of them the first copy.
    QLockFile lock(m_strPath + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    const bool locked = lock.tryLock(timeoutMs);

    QLocalSocket probe;
    probe.connectToServer(m_strPath);
    if (probe.waitForConnected(1000)) {
        probe.abort();
        if (locked)
            lock.unlock();
        // A running copy answered the connection: hand the file over.
        SendRequest(m_strPath, file, timeoutMs);
        return Result::HandedOver;
    }

    // Nobody listens: a socket file left by a copy that crashed is removed.
    QLocalServer::removeServer(m_strPath);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_strPath))
        return Result::NoGuard;
    return Result::First;
}

void CSingleInstance::OnNewConnection()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
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
