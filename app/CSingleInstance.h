#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

// One running copy per user: the first copy listens on a local socket at
// <pipe directory>/vespira.instance; a later start connects, sends the absolute path of
// the file named on its command line (or an empty line), waits for "OK" and ends with
// status 0, while the first copy raises its window and opens the file.
//
// Protocol: one line of UTF-8 text ending in "\n" from the later start, "OK\n" back.
class CSingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Result
    {
        First,      // no other copy runs: this one listens now
        HandedOver, // another copy runs and was told: end this one
        NoGuard     // the socket could not be set up: run without the check
    };

    explicit CSingleInstance(QString socketPath, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // Hands file (may be empty) to a running copy, or becomes the first copy.
    Result Start(const QByteArray& file, int timeoutMs = 5000);

    QString SocketPath() const { return m_strPath; }
    bool IsListening() const { return m_server.isListening(); }

    // Sends one request to the copy listening at socketPath; true when it answered.
    static bool SendRequest(const QString& socketPath, const QByteArray& file, int timeoutMs);

signals:
    // A later start asked this copy to come to the front and open file (if not empty).
    void activateRequested(const QByteArray& file);

private:
    void OnNewConnection();

    QString m_strPath;
    QLocalServer m_server;
};
