#include "tests/web/CDevTools.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QTest>

CDevTools::~CDevTools()
{
    m_socket.abort();
    if (m_browser.state() != QProcess::NotRunning) {
        m_browser.kill();
        m_browser.waitForFinished(5000);
    }
}

QString CDevTools::FindBrowser()
{
    for (const char* name : {"chromium", "chromium-browser", "google-chrome"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

bool CDevTools::Open(const QString& url, QString& error)
{
    const QString browser = FindBrowser();
    if (browser.isEmpty() || !m_profile.isValid()) {
        error = QStringLiteral("no browser");
        return false;
    }
    m_browser.setProcessChannelMode(QProcess::MergedChannels);
    m_browser.start(browser,
                    {"--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
                     "--hide-scrollbars", "--window-size=1000,800", "--remote-debugging-port=0",
                     "--user-data-dir=" + m_profile.path(), url});
    if (!m_browser.waitForStarted(10000)) {
        error = QStringLiteral("the browser did not start");
        return false;
    }
    // The browser writes its debugging port into the profile once it listens.
    QByteArray port;
    (void)QTest::qWaitFor(
        [&] {
            QFile file(m_profile.filePath("DevToolsActivePort"));
            if (file.open(QIODevice::ReadOnly))
                port = file.readLine().trimmed();
            return !port.isEmpty() || m_browser.state() == QProcess::NotRunning;
        },
        30000);
    if (port.isEmpty()) {
        error = QStringLiteral("no debugging port: ") + QString::fromLocal8Bit(m_browser.readAll());
        return false;
    }
    QNetworkAccessManager network;
    QString pageSocket;
    (void)QTest::qWaitFor(
        [&] {
            QNetworkReply* reply = network.get(QNetworkRequest(
                QUrl("http://127.0.0.1:" + QString::fromLatin1(port) + "/json/list")));
            QEventLoop loop;
            QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
            loop.exec();
            for (const QJsonValue& target : QJsonDocument::fromJson(reply->readAll()).array())
                if (target["type"].toString() == "page")
                    pageSocket = target["webSocketDebuggerUrl"].toString();
            reply->deleteLater();
            return !pageSocket.isEmpty();
        },
        15000);
    if (pageSocket.isEmpty()) {
        error = QStringLiteral("no page target");
        return false;
    }
    QObject::connect(&m_socket, &QWebSocket::textMessageReceived, [this](const QString& text) {
        const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
        if (message.contains("id"))
            m_replies[message["id"].toInt()] = message;
    });
    m_socket.open(QUrl(pageSocket));
    if (!QTest::qWaitFor([&] { return m_socket.state() == QAbstractSocket::ConnectedState; },
                         10000)) {
        error = QStringLiteral("no DevTools connection");
        return false;
    }
    return true;
}

QJsonObject CDevTools::Call(const QString& method, const QJsonObject& params, int timeoutMs)
{
    const int id = m_nextId++;
    m_socket.sendTextMessage(QString::fromUtf8(
        QJsonDocument(QJsonObject{{"id", id}, {"method", method}, {"params", params}})
            .toJson(QJsonDocument::Compact)));
    if (!QTest::qWaitFor([&] { return m_replies.count(id) > 0; }, timeoutMs))
        return {};
    const QJsonObject reply = m_replies[id];
    m_replies.erase(id);
    return reply;
}

QJsonValue CDevTools::Evaluate(const QString& expression, int timeoutMs)
{
    const QJsonObject reply =
        Call("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}}, timeoutMs);
    return reply["result"].toObject()["result"].toObject()["value"];
}

bool CDevTools::WaitFor(const QString& expression, int timeoutMs)
{
    return QTest::qWaitFor([&] { return Evaluate(expression).toBool(); }, timeoutMs);
}

bool CDevTools::MovePointer(double x, double y)
{
    const QJsonObject reply =
        Call("Input.dispatchMouseEvent", {{"type", "mouseMoved"}, {"x", x}, {"y", y}});
    return reply.contains("result");
}

QByteArray CDevTools::Screenshot()
{
    const QJsonObject reply = Call("Page.captureScreenshot", {{"format", "png"}}, 15000);
    return QByteArray::fromBase64(reply["result"].toObject()["data"].toString().toLatin1());
}
