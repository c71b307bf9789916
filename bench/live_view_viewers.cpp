// Viewers of the live view for the link benchmark: N WebSocket clients of the page's
// socket that take everything they are sent until SIGTERM (or --seconds), then print the
// bytes each received, the points of the last progress they saw, and how far behind the
// program the changed cells arrived (from the time of the oldest change in each batch).
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QTimer>
#include <QWebSocket>
#include <QtEndian>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

namespace {

int g_stopFd = -1;

void OnSignal(int)
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_stopFd, &one, sizeof one);
}

// Bytes of a server frame with this payload: the header and the payload.
qint64 FrameBytes(qint64 payload)
{
    return payload + (payload < 126 ? 2 : payload <= 0xFFFF ? 4 : 10);
}

struct Viewer
{
    QWebSocket socket;
    qint64 bytes = 0;
    long long received = 0;
    std::vector<long long> lags;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addPositionalArgument("url", "The page's address.");
    parser.addOption({"viewers", "Viewers (default 4).", "n", "4"});
    parser.addOption({"seconds", "End after this time (default: at SIGTERM).", "s", "0"});
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);
    QString url = parser.positionalArguments().front();
    url.replace(QStringLiteral("http://"), QStringLiteral("ws://"));
    url += QStringLiteral("socket");

    g_stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    QSocketNotifier stop(g_stopFd, QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    if (const int seconds = parser.value("seconds").toInt(); seconds > 0)
        QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);

    std::vector<std::unique_ptr<Viewer>> viewers;
    for (int i = 0; i < parser.value("viewers").toInt(); ++i) {
        auto v = std::make_unique<Viewer>();
        Viewer* raw = v.get();
        QObject::connect(&raw->socket, &QWebSocket::binaryMessageReceived,
                         [raw](const QByteArray& m) {
                             raw->bytes += FrameBytes(m.size());
                             // Changes only: a full refresh carries the time it was made.
                             if (m.size() >= 16 && m[0] == 1 && (m[1] & 1) == 0)
                                 raw->lags.push_back(QDateTime::currentMSecsSinceEpoch() -
                                                     qFromLittleEndian<qint64>(m.constData() + 8));
                         });
        QObject::connect(&raw->socket, &QWebSocket::textMessageReceived, [raw](const QString& t) {
            raw->bytes += FrameBytes(t.toUtf8().size());
            const QJsonObject o = QJsonDocument::fromJson(t.toUtf8()).object();
            if (o["type"].toString() == "progress" && o["live"].toBool())
                raw->received = o["received"].toInteger();
        });
        raw->socket.open(QUrl(url));
        viewers.push_back(std::move(v));
    }
    std::fprintf(stderr, "viewers: %zu connecting to %s\n", viewers.size(), qPrintable(url));
    app.exec();

    for (std::size_t i = 0; i < viewers.size(); ++i) {
        Viewer& v = *viewers[i];
        std::sort(v.lags.begin(), v.lags.end());
        const long long maxLag = v.lags.empty() ? -1 : v.lags.back();
        const long long p99 = v.lags.empty() ? -1 : v.lags[v.lags.size() * 99 / 100];
        std::printf(
            "viewer %zu bytes %lld points %lld batches %zu lag_p99_ms %lld lag_max_ms %lld\n", i,
            static_cast<long long>(v.bytes), v.received, v.lags.size(), p99, maxLag);
    }
    return 0;
}
