#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <sys/types.h>

// One running copy per user: the first copy holds a lock (flock on vespira.lock beside
// the socket) for its whole run and listens on a local socket at
// <pipe directory>/vespira.instance; a later start finds the lock taken, connects, sends
// the absolute path of the file named on its command line (or an empty line), waits for
// "OK" and ends with status 0, while the first copy raises its window and opens the file.
// Whatever happens to the socket file, the lock keeps a second copy from running: the
// first copy listens again when its socket is gone, and a later start that gets no
// answer ends.
//
// Protocol: one line of UTF-8 text ending in "\n" from the later start, "OK\n" back.
// A few connections are served at once, each for a second at most; others are closed.
class CSingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Result
    {
        First,      // no other copy runs: this one holds the lock and listens
        HandedOver, // another copy runs and was told: end this one
        NoAnswer,   // another copy holds the lock but did not answer: end this one
        NoGuard     // the lock could not be set up: run without the check
    };

    static constexpr int kMaxConnections = 4;
    static constexpr int kConnectionTimeoutMs = 1000;
    // How often the first copy looks whether its socket is still there.
    static constexpr int kWatchMs = 1000;

    explicit CSingleInstance(QString socketPath, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // Hands file (may be empty) to a running copy, or becomes the first copy.
    Result Start(const QByteArray& file, int timeoutMs = 5000);

    QString SocketPath() const { return m_strPath; }
    bool IsListening() const { return m_server.isListening(); }
    // Why the last Start gave NoAnswer or NoGuard, with the paths.
    QString Error() const { return m_strError; }

    // Sends one request to the copy listening at socketPath; true when it answered.
    static bool SendRequest(const QString& socketPath, const QByteArray& file, int timeoutMs);

signals:
    // A later start asked this copy to come to the front and open file (if not empty).
    void activateRequested(const QByteArray& file);

private:
    bool Listen();
    // Listens again when the socket file is gone or replaced, or the server closed.
    void Watch();
    void OnNewConnection();

    QString m_strPath;
    QString m_strLockPath;
    QString m_strError;
    QLocalServer m_server;
    QTimer m_watch;
    int m_lockFd = -1;
    ino_t m_socketInode = 0;
    int m_nOpen = 0;
};
