#include "document/CVespiraDoc.h"
#include "document/DocumentServices.h"
#include "document/IHostUi.h"
#include "document/PatternRange.h"
#include "tests/common/Sanitizers.h"
#include "web/CLiveViewServer.h"
#include "web/LiveViewMessages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTest>
#include <QWebSocket>
#include <QtEndian>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A viewer's socket and everything it was sent.
struct Viewer
{
    QWebSocket socket;
    std::vector<QJsonObject> texts;
    std::vector<QByteArray> binaries;
    bool closed = false;

    explicit Viewer(const QString& url)
    {
        QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString& t) {
            texts.push_back(QJsonDocument::fromJson(t.toUtf8()).object());
        });
        QObject::connect(&socket, &QWebSocket::binaryMessageReceived,
                         [this](const QByteArray& b) { binaries.push_back(b); });
        QObject::connect(&socket, &QWebSocket::disconnected, [this] { closed = true; });
        socket.open(QUrl(url));
    }
    bool WaitOpen()
    {
        return QTest::qWaitFor([&] { return IsOpen() || closed; }, 5000) && IsOpen();
    }
    bool IsOpen() const { return socket.state() == QAbstractSocket::ConnectedState; }
    const QJsonObject* LastOf(const QString& type) const
    {
        for (auto it = texts.rbegin(); it != texts.rend(); ++it)
            if ((*it)["type"].toString() == type)
                return &*it;
        return nullptr;
    }
    bool WaitFor(const QString& type, std::size_t before = 0)
    {
        return QTest::qWaitFor(
            [&] {
                for (std::size_t i = before; i < texts.size(); ++i)
                    if (texts[i]["type"].toString() == type)
                        return true;
                return false;
            },
            5000);
    }
};

// The cells of a cells message: index to value.
std::map<std::uint32_t, std::int32_t> CellsOf(const QByteArray& m, bool* reset = nullptr,
                                              bool* unmeasured = nullptr)
{
    std::map<std::uint32_t, std::int32_t> cells;
    if (m.size() < 16 || m[0] != 1)
        return cells;
    if (reset != nullptr)
        *reset = (m[1] & LiveMessage::kResetFlag) != 0;
    if (unmeasured != nullptr)
        *unmeasured = (m[1] & LiveMessage::kUnmeasuredFlag) != 0;
    const char* p = m.constData();
    for (qsizetype pos = 16; pos + 8 <= m.size();) {
        const auto start = qFromLittleEndian<std::uint32_t>(p + pos);
        const auto count = qFromLittleEndian<std::uint32_t>(p + pos + 4);
        pos += 8;
        for (std::uint32_t i = 0; i < count; ++i, pos += 4)
            cells[start + i] = qFromLittleEndian<std::int32_t>(p + pos);
    }
    return cells;
}

// While a scan has not measured every cell, a reset sends the measured ones, 0 among
// them, so that the page tells a cell not reached yet from a count of 0.
TEST(LiveMessageTest, AResetTellsMeasuredCellsFromCellsNotReachedYet)
{
    CStderrUi ui;
    DocumentServices state(ui);
    CVespiraDoc doc(state);
    ASSERT_TRUE(doc.SetUpGrid(ScanGrid{3, 2, 0.0f, 2.0f, 1.0f, 0.0f, 1.0f, 1.0f}));
    doc.m_range.ResetMeasured(static_cast<std::size_t>(doc.PointCount()), false); // a new scan
    ASSERT_TRUE(doc.SetPointIntensity(0.0f, 1.0f, 0));
    ASSERT_TRUE(doc.SetPointIntensity(1.0f, 1.0f, 5));
    const auto first = static_cast<std::uint32_t>(doc.IndexOf(0, 0));
    const auto second = static_cast<std::uint32_t>(doc.IndexOf(1, 0));
    bool reset = false;
    bool unmeasured = false;
    EXPECT_EQ(CellsOf(LiveMessage::AllCells(1, doc, 0), &reset, &unmeasured),
              (std::map<std::uint32_t, std::int32_t>{{first, 0}, {second, 5}}));
    EXPECT_TRUE(reset);
    EXPECT_TRUE(unmeasured);

    // A pattern read from a file is measured everywhere: only the cells not 0 go.
    doc.m_range.ResetMeasured(static_cast<std::size_t>(doc.PointCount()), true);
    EXPECT_EQ(CellsOf(LiveMessage::AllCells(1, doc, 0), &reset, &unmeasured),
              (std::map<std::uint32_t, std::int32_t>{{second, 5}}));
    EXPECT_TRUE(reset);
    EXPECT_FALSE(unmeasured);
}

class LiveViewServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        docs.push_back(std::make_unique<CVespiraDoc>(state));
        ASSERT_TRUE(docs[0]->SetUpGrid(ScanGrid{5, 4, 0.0f, 4.0f, 1.0f, 0.0f, 3.0f, 1.0f}));
        docs[0]->SetTitle("first");
        limits.requestTimeoutMs = 500;
        limits.updateIntervalMs = 50;
        Start();
    }
    void Start()
    {
        server = std::make_unique<CLiveViewServer>(
            state.liveScan,
            [this] {
                std::vector<CVespiraDoc*> list;
                for (auto& d : docs)
                    list.push_back(d.get());
                return list;
            },
            [] {
                return LiveViewLook{0, true, Rgb(0, 255, 255), Rgb(255, 0, 0)};
            });
        server->SetLimits(limits);
        QString error;
        ASSERT_TRUE(server->Start({}, error)) << error.toStdString();
        token = server->Token();
    }
    QString Url(const char* path, const char* scheme = "http") const
    {
        return QStringLiteral("%1://127.0.0.1:%2/%3/%4")
            .arg(scheme)
            .arg(server->Port())
            .arg(QString::fromLatin1(token), path);
    }
    // The whole answer to raw request bytes, until the server closes.
    QByteArray Request(const QByteArray& raw, int waitMs = 5000)
    {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, server->Port());
        if (!s.waitForConnected(3000))
            return {};
        s.write(raw);
        QByteArray answer;
        (void)QTest::qWaitFor(
            [&] {
                answer += s.readAll();
                return s.state() == QAbstractSocket::UnconnectedState;
            },
            waitMs);
        return answer + s.readAll();
    }
    QByteArray Get(const QByteArray& path)
    {
        return Request("GET " + path + " HTTP/1.1\r\nHost: x\r\n\r\n");
    }

    CStderrUi ui;
    DocumentServices state{ui};
    std::vector<std::unique_ptr<CVespiraDoc>> docs;
    LiveViewLimits limits;
    std::unique_ptr<CLiveViewServer> server;
    QByteArray token;
};

TEST_F(LiveViewServerTest, FixedRoutesBehindTheToken)
{
    ASSERT_EQ(token.size(), 32);
    const QByteArray page = Get("/" + token + "/");
    EXPECT_TRUE(page.startsWith("HTTP/1.1 200 OK\r\n")) << page.left(100).constData();
    EXPECT_TRUE(page.contains("Content-Security-Policy: default-src 'self'"));
    EXPECT_TRUE(page.contains("<canvas id=\"cells\""));
    EXPECT_TRUE(Get("/" + token + "/live.js").contains("text/javascript"));
    EXPECT_TRUE(Get("/" + token + "/live.css").contains("text/css"));
    EXPECT_TRUE(Get("/" + token + "/index.html").startsWith("HTTP/1.1 404"));
    EXPECT_TRUE(Get("/" + token + "/../../etc/passwd").startsWith("HTTP/1.1 404"));

    // A wrong token of the right length, none, or the token elsewhere: 403 and nothing else.
    QByteArray wrong = token;
    wrong[0] = wrong[0] == 'a' ? 'b' : 'a';
    for (const QByteArray& path :
         {"/" + wrong + "/", QByteArray("/"), "/" + wrong + "/socket", "/x/" + token + "/",
          "/?token=" + token, QByteArray("/favicon.ico")}) {
        const QByteArray answer = Get(path);
        EXPECT_TRUE(answer.startsWith("HTTP/1.1 403 Forbidden\r\n")) << path.constData();
        EXPECT_TRUE(answer.endsWith("\r\n\r\nForbidden\n")) << path.constData();
    }
    // The token is checked before the method.
    EXPECT_TRUE(Request("POST /" + wrong + "/ HTTP/1.1\r\n\r\n").startsWith("HTTP/1.1 403"));
    EXPECT_TRUE(Request("POST /" + token + "/ HTTP/1.1\r\n\r\n").startsWith("HTTP/1.1 405"));
    EXPECT_TRUE(Get("/" + token + "/socket").startsWith("HTTP/1.1 426"));
    // A viewer's socket with a wrong token never opens.
    Viewer intruder(QStringLiteral("ws://127.0.0.1:%1/%2/socket")
                        .arg(server->Port())
                        .arg(QString::fromLatin1(wrong)));
    EXPECT_FALSE(intruder.WaitOpen());
    EXPECT_EQ(server->ViewerCount(), 0);
}

TEST_F(LiveViewServerTest, RequestSizeIdleTimeAndViewerCountAreBounded)
{
    EXPECT_TRUE(Request("GET /" + token + "/ HTTP/1.1\r\nX: " + QByteArray(9000, 'a') + "\r\n\r\n")
                    .startsWith("HTTP/1.1 431"));
    EXPECT_TRUE(Request("GET /" + token + "/ HTTP/1.1\r\n" + QByteArray(20000, 'a'))
                    .startsWith("HTTP/1.1 431"));
    EXPECT_TRUE(Request("GET /\nHost: x\r\n\r\n").startsWith("HTTP/1.1 400"));
    // A request that never ends is cut off at the time limit.
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(Request("GET /" + token + "/ HTTP/1.1\r\n").startsWith("HTTP/1.1 408"));
    EXPECT_LT(timer.elapsed(), 3000);

    std::vector<std::unique_ptr<Viewer>> viewers;
    for (int i = 0; i < 16; ++i) {
        viewers.push_back(std::make_unique<Viewer>(Url("socket", "ws")));
        ASSERT_TRUE(viewers.back()->WaitOpen()) << i;
    }
    EXPECT_EQ(server->ViewerCount(), 16);
    Viewer seventeenth(Url("socket", "ws"));
    EXPECT_FALSE(seventeenth.WaitOpen());
    EXPECT_EQ(server->ViewerCount(), 16);
    // One goes: another may come.
    viewers.pop_back();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server->ViewerCount() == 15; }, 5000));
    Viewer late(Url("socket", "ws"));
    EXPECT_TRUE(late.WaitOpen());

    // A message longer than any request a viewer makes closes its socket.
    late.socket.sendTextMessage(QString(1000, QLatin1Char('a')));
    EXPECT_TRUE(QTest::qWaitFor([&] { return late.closed; }, 5000));
    EXPECT_EQ(late.socket.closeCode(), QWebSocketProtocol::CloseCodeTooMuchData);
}

TEST_F(LiveViewServerTest, AViewerGetsEverythingOnceThenOnlyTheChanges)
{
    CVespiraDoc& doc = *docs[0];
    ASSERT_TRUE(doc.SetPointIntensity(1.0f, 2.0f, 7));
    doc.SetScanTime(2, 3, 900.0f);
    Viewer viewer(Url("socket", "ws"));
    ASSERT_TRUE(viewer.WaitOpen());
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.binaries.size() >= 2; }, 5000));
    const QJsonObject* pattern = viewer.LastOf("pattern");
    ASSERT_NE(pattern, nullptr);
    EXPECT_EQ((*pattern)["title"].toString(), "first");
    EXPECT_EQ((*pattern)["nx"].toInt(), 5);
    EXPECT_EQ((*pattern)["ny"].toInt(), 4);
    EXPECT_EQ((*pattern)["x"].toArray().at(4).toString(), "4");
    EXPECT_EQ((*pattern)["y"].toArray().at(0).toString(), "3");
    ASSERT_NE(viewer.LastOf("colours"), nullptr);
    EXPECT_EQ((*viewer.LastOf("colours"))["colours"].toArray().size(), 256);
    EXPECT_EQ((*viewer.LastOf("colours"))["max"].toInt(), doc.m_nMaxIntensity);
    // The targets, then every measured cell after a reset.
    const QByteArray& targets = viewer.binaries[0];
    ASSERT_EQ(targets[0], 2);
    ASSERT_EQ(targets.size(), 24);
    EXPECT_EQ(qFromLittleEndian<std::uint32_t>(targets.constData() + 16), 1u);
    EXPECT_EQ(qFromLittleEndian<std::uint32_t>(targets.constData() + 20),
              static_cast<std::uint32_t>(doc.IndexOf(2, 3)));
    bool reset = false;
    EXPECT_EQ(CellsOf(viewer.binaries[1], &reset),
              (std::map<std::uint32_t, std::int32_t>{{doc.IndexOf(1, 1), 7}}));
    EXPECT_TRUE(reset);

    // Points as the scan stores them: only those cells, in one message.
    const std::size_t before = viewer.binaries.size();
    ASSERT_TRUE(doc.SetPointIntensity(3.0f, 2.0f, 1234));
    ASSERT_TRUE(doc.SetPointIntensity(4.0f, 2.0f, -5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.binaries.size() > before; }, 1000));
    EXPECT_EQ(CellsOf(viewer.binaries[before], &reset),
              (std::map<std::uint32_t, std::int32_t>{{doc.IndexOf(3, 1), 1234},
                                                     {doc.IndexOf(4, 1), -5}}));
    EXPECT_FALSE(reset);

    // A new title (a scan retitles its pattern with every point) goes alone.
    const std::size_t cellsBefore = viewer.binaries.size();
    const std::size_t textsBefore = viewer.texts.size();
    doc.SetTitle("Collecting: X: 1.0");
    ASSERT_TRUE(viewer.WaitFor("title", textsBefore));
    EXPECT_EQ((*viewer.LastOf("title"))["title"].toString(), "Collecting: X: 1.0");
    QTest::qWait(200);
    EXPECT_EQ(viewer.binaries.size(), cellsBefore);

    // A range change sends the colours and range, not the cells again.
    const std::size_t texts = viewer.texts.size();
    const std::size_t binaries = viewer.binaries.size();
    doc.m_nMaxIntensity = 5000;
    ASSERT_TRUE(viewer.WaitFor("colours", texts));
    EXPECT_EQ((*viewer.LastOf("colours"))["max"].toInt(), 5000);
    EXPECT_EQ((*viewer.LastOf("colours"))["scale"].toString(), "linear");
    EXPECT_TRUE((*viewer.LastOf("colours"))["rising"].toBool());
    QTest::qWait(200);
    EXPECT_EQ(viewer.binaries.size(), binaries);

    // The page draws in the range and scale the view draws with, not the rising maximum.
    const std::size_t rangeTexts = viewer.texts.size();
    doc.m_range.settings.mode = RangeMode::Fixed;
    doc.m_range.settings.fixedMin = 10;
    doc.m_range.settings.fixedMax = 2000;
    doc.m_range.settings.scale = IntensityScale::Logarithmic;
    RefreshRange(doc);
    ASSERT_TRUE(viewer.WaitFor("colours", rangeTexts));
    EXPECT_EQ((*viewer.LastOf("colours"))["min"].toInt(), 10);
    EXPECT_EQ((*viewer.LastOf("colours"))["max"].toInt(), 2000);
    EXPECT_EQ((*viewer.LastOf("colours"))["scale"].toString(), "log");
    EXPECT_FALSE((*viewer.LastOf("colours"))["rising"].toBool());
    doc.m_range.settings = RangeSettings{};
    RefreshRange(doc);

    // Another pattern, chosen by the viewer: all of it, then back to the scan's.
    docs.push_back(std::make_unique<CVespiraDoc>(state));
    ASSERT_TRUE(docs[1]->SetUpGrid(ScanGrid{3, 3, 0.0f, 1.0f, 0.5f, 0.0f, 1.0f, 0.5f}));
    docs[1]->SetTitle("second");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QJsonObject* list = viewer.LastOf("patterns");
            return list != nullptr && (*list)["list"].toArray().size() == 2;
        },
        2000));
    const int secondId = (*viewer.LastOf("patterns"))["list"].toArray()[1].toObject()["id"].toInt();
    viewer.socket.sendTextMessage(QStringLiteral("show %1").arg(secondId));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return (*viewer.LastOf("pattern"))["title"].toString() == "second"; }, 2000));
    EXPECT_EQ((*viewer.LastOf("pattern"))["x"].toArray().at(1).toString(), "0.5");
    state.liveScan.SetActive(docs[0].get());
    viewer.socket.sendTextMessage("follow");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return (*viewer.LastOf("pattern"))["title"].toString() == "Collecting: X: 1.0"; },
        2000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QJsonObject* p = viewer.LastOf("progress");
            return p != nullptr && (*p)["live"].toBool();
        },
        2000));
    EXPECT_EQ((*viewer.LastOf("progress"))["total"].toInt(), 20);

    // A closed pattern goes from the list; nothing is left pointing at it.
    docs.pop_back();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return (*viewer.LastOf("patterns"))["list"].toArray().size() == 1; }, 2000));
}

TEST_F(LiveViewServerTest, AViewerThatDoesNotReadIsNotBufferedWithoutLimit)
{
    // Under the sanitizers one pass over the grid takes longer than the slow-viewer limit,
    // so the viewer that reads falls behind as well; the plain build checks the rule.
    if (kBuiltWithSanitizers)
        GTEST_SKIP() << "the slow-viewer timing is the plain build's to check";
    limits.sendBufferLimit = 64 * 1024;
    limits.slowViewerTimeoutMs = 300;
    Start();
    CVespiraDoc& doc = *docs[0];
    ASSERT_TRUE(doc.SetUpGrid(ScanGrid{500, 500, 0.0f, 499.0f, 1.0f, 0.0f, 499.0f, 1.0f}));

    // The upgrade by hand, and then never a read.
    QTcpSocket slow;
    slow.setReadBufferSize(1);
    slow.connectToHost(QHostAddress::LocalHost, server->Port());
    ASSERT_TRUE(slow.waitForConnected(3000));
    slow.write("GET /" + token +
               "/socket HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
               "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return server->ViewerCount() == 1; }, 3000));
    Viewer fast(Url("socket", "ws"));
    ASSERT_TRUE(fast.WaitOpen());

    // Every cell changes, again and again: a full refresh (1 MB) per update.
    int value = 1;
    QElapsedTimer timer;
    timer.start();
    while (server->ViewerCount() == 2 && timer.elapsed() < 20000) {
        for (int row = 0; row < 500; ++row)
            for (int col = 0; col < 500; ++col)
                doc.SetPointIntensity(static_cast<float>(col), static_cast<float>(row), value);
        ++value;
        QTest::qWait(20);
    }
    EXPECT_EQ(server->ViewerCount(), 1);
    // The viewer that reads is still served, and sees the latest values.
    const std::size_t before = fast.binaries.size();
    doc.SetPointIntensity(0.0f, 0.0f, -1);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (std::size_t i = before; i < fast.binaries.size(); ++i) {
                const auto cells = CellsOf(fast.binaries[i]);
                const auto it = cells.find(static_cast<std::uint32_t>(doc.IndexOf(0, 499)));
                if (it != cells.end() && it->second == -1)
                    return true;
            }
            return false;
        },
        10000));
    EXPECT_TRUE(fast.IsOpen());
}

} // namespace
