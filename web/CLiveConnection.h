#pragma once

#include "web/LiveRoutes.h"
#include "web/LiveViewLimits.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

class QTcpSocket;

// One TCP connection to the live view: first an HTTP request, answered from the fixed
// routes and closed, or upgraded to the WebSocket of a viewer. Reads are bounded by the
// limits; what a viewer sends only chooses what it is shown.
class CLiveConnection : public QObject
{
    Q_OBJECT

public:
    // The page's files, by route; admitViewer says whether another viewer may join.
    struct Routes
    {
        QByteArray token;
        QByteArray page, script, style;
        std::function<bool()> admitViewer;
    };

    CLiveConnection(QTcpSocket* socket, const Routes& routes, const LiveViewLimits& limits,
                    QObject* parent = nullptr);
    ~CLiveConnection() override;

    bool IsViewer() const { return m_state == State::Viewer; }
    // Bytes written but not yet taken by the system.
    qint64 Buffered() const;
    qint64 BytesSent() const { return m_nBytesSent; }
    void SendText(const QByteArray& json);
    void SendBinary(const QByteArray& data);
    // Closes a viewer's socket with a status code and reason.
    void CloseViewer(quint16 code);
    // Every ping interval a ping; a viewer silent past the idle limit is closed. True
    // when it is still open.
    bool KeepAlive();

    // What the server keeps for a viewer.
    int wantedId = 0; // 0: follow the scan
    int shownId = -1; // the pattern last sent in full; -1 none yet
    bool needsFull = true;
    qint64 overLimitSinceMs = -1;

signals:
    void viewerOpened(CLiveConnection* connection);
    void viewerRequest(CLiveConnection* connection, const ViewerRequest& request);
    // A viewer stopped being one (closed by either side).
    void closed(CLiveConnection* connection);
    // The connection ended; it deletes itself later.
    void finished(CLiveConnection* connection);

private:
    enum class State
    {
        Request,
        Responding,
        Viewer,
        Closed
    };
    void OnReadyRead();
    void ReadRequest();
    void ReadFrames();
    void Respond(int status, const QByteArray& contentType, const QByteArray& body);
    void Upgrade(const QByteArray& key);
    void Write(const QByteArray& bytes);
    void Finish();

    QTcpSocket* m_pSocket;
    Routes m_routes;
    LiveViewLimits m_limits;
    State m_state = State::Request;
    QByteArray m_buffer;
    QTimer m_deadline;
    QElapsedTimer m_sinceHeard;
    QElapsedTimer m_sincePing;
    qint64 m_nBytesSent = 0;
};
