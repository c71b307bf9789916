#include "web/CLiveConnection.h"

#include "web/HttpRequest.h"
#include "web/WebSocketFrame.h"

#include <QTcpSocket>

namespace {

// Close codes: normal, protocol error, message too big, policy (too slow, idle, full).
constexpr quint16 kCloseProtocol = 1002;
constexpr quint16 kCloseTooBig = 1009;

} // namespace

CLiveConnection::CLiveConnection(QTcpSocket* socket, const Routes& routes,
                                 const LiveViewLimits& limits, QObject* parent)
    : QObject(parent), m_pSocket(socket), m_routes(routes), m_limits(limits)
{
    m_pSocket->setParent(this);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (m_state == State::Request)
            Respond(408, "text/plain", "Request Timeout\n");
        else
            Finish();
    });
    m_deadline.start(m_limits.requestTimeoutMs);
    connect(m_pSocket, &QTcpSocket::readyRead, this, &CLiveConnection::OnReadyRead);
    connect(m_pSocket, &QTcpSocket::disconnected, this, &CLiveConnection::Finish);
    connect(m_pSocket, &QTcpSocket::errorOccurred, this, [this] {
        if (m_state != State::Responding)
            Finish();
    });
    connect(m_pSocket, &QTcpSocket::bytesWritten, this, [this](qint64 n) { m_nBytesSent += n; });
    if (m_pSocket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &CLiveConnection::OnReadyRead, Qt::QueuedConnection);
}

CLiveConnection::~CLiveConnection() = default;

qint64 CLiveConnection::Buffered() const
{
    return m_pSocket->bytesToWrite();
}

void CLiveConnection::OnReadyRead()
{
    if (m_state == State::Request)
        ReadRequest();
    else if (m_state == State::Viewer)
        ReadFrames();
    else
        m_pSocket->readAll();
}

void CLiveConnection::ReadRequest()
{
    // Never more than the longest head plus one read is held.
    m_buffer += m_pSocket->read(kMaxHttpHead + 1 - m_buffer.size());
    HttpRequest request;
    qsizetype used = 0;
    switch (ParseHttpRequest(m_buffer, request, used)) {
    case HttpParse::Incomplete:
        return;
    case HttpParse::TooLarge:
        Respond(431, "text/plain", "Request Header Fields Too Large\n");
        return;
    case HttpParse::Bad:
        Respond(400, "text/plain", "Bad Request\n");
        return;
    case HttpParse::Ok:
        break;
    }
    // The token is checked before anything else about the request is answered.
    const LiveRoute route = MatchLiveRoute(request.path, m_routes.token);
    if (route == LiveRoute::Forbidden) {
        Respond(403, "text/plain", "Forbidden\n");
        return;
    }
    if (request.method != "GET") {
        Respond(405, "text/plain", "Method Not Allowed\n");
        return;
    }
    auto serve = [&](const char* type, const QByteArray& body) { Respond(200, type, body); };
    switch (route) {
    case LiveRoute::Page:
        serve("text/html; charset=utf-8", m_routes.page);
        return;
    case LiveRoute::Script:
        serve("text/javascript; charset=utf-8", m_routes.script);
        return;
    case LiveRoute::Style:
        serve("text/css; charset=utf-8", m_routes.style);
        return;
    case LiveRoute::Socket:
        if (!request.upgradeWebSocket || request.webSocketVersion != 13 ||
            !IsValidWebSocketKey(request.webSocketKey)) {
            Respond(426, "text/plain", "Upgrade Required\n");
            return;
        }
        if (used != m_buffer.size()) {
            // Frames before the handshake's answer: no browser sends them.
            Respond(400, "text/plain", "Bad Request\n");
            return;
        }
        if (m_routes.admitViewer && !m_routes.admitViewer()) {
            Respond(503, "text/plain", "Too many viewers\n");
            return;
        }
        Upgrade(request.webSocketKey);
        return;
    default:
        Respond(404, "text/plain", "Not Found\n");
        return;
    }
}

void CLiveConnection::Respond(int status, const QByteArray& contentType, const QByteArray& body)
{
    m_state = State::Responding;
    m_buffer.clear();
    Write(HttpResponse(status, contentType, body));
    // A client that does not take the response is cut off at the deadline.
    m_deadline.start(m_limits.requestTimeoutMs);
    m_pSocket->disconnectFromHost();
}

void CLiveConnection::Upgrade(const QByteArray& key)
{
    m_deadline.stop();
    m_buffer.clear();
    m_state = State::Viewer;
    Write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
          "Sec-WebSocket-Accept: " +
          WebSocketAccept(key) + "\r\n\r\n");
    m_sinceHeard.start();
    m_sincePing.start();
    emit viewerOpened(this);
}

void CLiveConnection::ReadFrames()
{
    const qsizetype room = m_limits.maxViewerMessage + 14 - m_buffer.size();
    m_buffer += m_pSocket->read(std::max<qsizetype>(room, 0));
    for (;;) {
        WsFrame frame;
        qsizetype used = 0;
        const WsParse result =
            DecodeWebSocketFrame(m_buffer, m_limits.maxViewerMessage, frame, used);
        if (result == WsParse::Incomplete) {
            if (m_pSocket->bytesAvailable() > 0 && room > 0)
                QMetaObject::invokeMethod(this, &CLiveConnection::OnReadyRead,
                                          Qt::QueuedConnection);
            return;
        }
        if (result != WsParse::Ok) {
            CloseViewer(result == WsParse::TooLarge ? kCloseTooBig : kCloseProtocol);
            return;
        }
        m_buffer.remove(0, used);
        m_sinceHeard.start();
        switch (frame.opcode) {
        case WsOpcode::Ping:
            Write(EncodeWebSocketFrame(WsOpcode::Pong, frame.payload));
            break;
        case WsOpcode::Close:
            CloseViewer(1000);
            return;
        case WsOpcode::Text:
            emit viewerRequest(this, ParseViewerRequest(frame.payload));
            break;
        default:
            break;
        }
        if (m_state != State::Viewer)
            return;
    }
}

void CLiveConnection::SendText(const QByteArray& json)
{
    if (m_state == State::Viewer)
        Write(EncodeWebSocketFrame(WsOpcode::Text, json));
}

void CLiveConnection::SendBinary(const QByteArray& data)
{
    if (m_state == State::Viewer)
        Write(EncodeWebSocketFrame(WsOpcode::Binary, data));
}

void CLiveConnection::CloseViewer(quint16 code)
{
    if (m_state != State::Viewer)
        return;
    m_state = State::Responding;
    Write(EncodeWebSocketClose(code));
    m_deadline.start(m_limits.requestTimeoutMs);
    m_pSocket->disconnectFromHost();
    emit closed(this);
}

bool CLiveConnection::KeepAlive()
{
    if (m_state != State::Viewer)
        return false;
    if (m_sinceHeard.elapsed() > m_limits.idleTimeoutMs) {
        CloseViewer(1001);
        return false;
    }
    if (m_sincePing.elapsed() > m_limits.pingIntervalMs) {
        Write(EncodeWebSocketFrame(WsOpcode::Ping, {}));
        m_sincePing.start();
    }
    return true;
}

void CLiveConnection::Write(const QByteArray& bytes)
{
    m_pSocket->write(bytes);
}

void CLiveConnection::Finish()
{
    if (m_state == State::Closed)
        return;
    const bool wasViewer = m_state == State::Viewer;
    m_state = State::Closed;
    m_deadline.stop();
    m_pSocket->abort();
    if (wasViewer)
        emit closed(this);
    emit finished(this);
    deleteLater();
}
