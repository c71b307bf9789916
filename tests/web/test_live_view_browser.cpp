#include "display/ColourSettings.h"
#include "display/ColourTransform.h"
#include "document/CPatternFile.h"
#include "document/CVespiraDoc.h"
#include "document/DocumentServices.h"
#include "document/IHostUi.h"
#include "render/ViewTexts.h"
#include "tests/web/CDevTools.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kSide = 41;
constexpr int kPoints = kSide * kSide;

// The real program sharing its live view, orma-sim scanning into it, and the page open in
// headless Chromium.
class LiveViewBrowserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (CDevTools::FindBrowser().isEmpty())
            GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it)";
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir().mkdir(dir.filePath("pipes")));
        QFile::setPermissions(dir.filePath("pipes"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VESPIRA_PIPE_DIR", dir.filePath("pipes"));
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("XDG_STATE_HOME", dir.filePath("state"));
        env.insert("VESPIRA_RECOVERY", "discard");
    }
    void TearDown() override
    {
        for (QProcess* p : {&sim, &vespira})
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
    }

    static quint16 FreePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }

    // The address the program printed on standard output.
    QString StartVespira()
    {
        vespira.setProcessEnvironment(env);
        vespira.start(QStringLiteral(VESPIRA_EXE),
                      {"/NOS", QStringLiteral("--share-live=%1").arg(FreePort())});
        QString url;
        (void)QTest::qWaitFor(
            [&] {
                out += vespira.readAllStandardOutput();
                const QRegularExpressionMatch m =
                    QRegularExpression("live view: (http://\\S+)").match(QString::fromLatin1(out));
                url = m.captured(1);
                return m.hasMatch() || vespira.state() == QProcess::NotRunning;
            },
            30000);
        return url;
    }

    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess vespira;
    QProcess sim;
    QByteArray out;
};

// A script counting the cells drawn in the colour of points not measured yet.
QString NotMeasuredCells()
{
    return QStringLiteral(
               "(() => { const c = document.getElementById('cells');"
               " const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;"
               " let n = 0; for (let i = 0; i < d.length; i += 4)"
               " if (d[i] === %1 && d[i + 1] === %2 && d[i + 2] === %3) ++n;"
               " return n; })()")
        .arg(RedOf(kNotMeasuredColour))
        .arg(GreenOf(kNotMeasuredColour))
        .arg(BlueOf(kNotMeasuredColour));
}

QString ProgressText(CDevTools& page)
{
    return page.Evaluate("document.getElementById('progress').textContent").toString();
}

TEST_F(LiveViewBrowserTest, PageFollowsAScanWithTheProgramsColoursAndTexts)
{
    const QString url = StartVespira();
    ASSERT_FALSE(url.isEmpty()) << vespira.readAllStandardError().constData();
    ASSERT_TRUE(url.contains(QRegularExpression("/[0-9a-f]{32}/$"))) << url.toStdString();

    CDevTools page;
    QString error;
    ASSERT_TRUE(page.Open(url, error)) << error.toStdString();
    ASSERT_TRUE(
        page.WaitFor("document.getElementById('connection').textContent === 'Live'", 20000));

    const QString saved = dir.filePath("scan.rad");
    sim.setProcessEnvironment(env);
    sim.setProcessChannelMode(QProcess::MergedChannels);
    sim.start(QStringLiteral(ORMA_SIM_PATH),
              {"scan", "--x", "-4:4:0.2", "--y", "-4:4:0.2", "--rate", "300", "--save", saved});
    ASSERT_TRUE(sim.waitForStarted(5000));

    // During the scan: part of the points, with the grid's total.
    const QRegularExpression during(QStringLiteral("^Scan: (\\d+) of %1 points").arg(kPoints));
    int seen = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QRegularExpressionMatch m = during.match(ProgressText(page));
            seen = m.hasMatch() ? m.captured(1).toInt() : 0;
            return seen > 0 && seen < kPoints;
        },
        30000))
        << ProgressText(page).toStdString();
    // The points not reached yet in their own colour, not in that of a count of 0.
    EXPECT_TRUE(page.WaitFor(NotMeasuredCells() + " > 0", 5000));
    if (qEnvironmentVariableIsSet("VESPIRA_LIVE_SCREENSHOT")) {
        QFile shot(qEnvironmentVariable("VESPIRA_LIVE_SCREENSHOT"));
        if (shot.open(QIODevice::WriteOnly))
            shot.write(page.Screenshot());
    }
    ASSERT_TRUE(sim.waitForFinished(60000));
    ASSERT_EQ(sim.exitCode(), 0) << sim.readAll().constData();
    EXPECT_TRUE(
        page.WaitFor(QStringLiteral("document.getElementById('progress').textContent.startsWith("
                                    "'Scan: %1 of %1 points')")
                         .arg(kPoints),
                     10000))
        << ProgressText(page).toStdString();
    EXPECT_TRUE(page.WaitFor(NotMeasuredCells() + " === 0", 5000))
        << page.Evaluate(NotMeasuredCells()).toInt() << " cells still not measured";

    CStderrUi ui;
    DocumentServices state(ui);
    CVespiraDoc doc(state);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(saved); }, 10000));
    ASSERT_TRUE(ReadPatternFile(doc, QFile::encodeName(saved)));
    ASSERT_EQ(doc.PointCount(), kPoints);

    // A known cell, right of the middle and above it (orientation "+X,+Y": row 0 on top).
    const int col = 27;
    const int row = 14;
    const std::int32_t value = doc.m_pIntensity[static_cast<std::size_t>(doc.IndexOf(col, row))];
    ASSERT_GT(value, 0);

    const QJsonObject box =
        page.Evaluate("(() => { const c = document.getElementById('cells');"
                      " const r = c.getBoundingClientRect();"
                      " return {x: r.left + c.clientLeft, y: r.top + c.clientTop,"
                      " w: c.clientWidth, h: c.clientHeight, nx: c.width, ny: c.height}; })()")
            .toObject();
    ASSERT_EQ(box["nx"].toInt(), kSide);
    ASSERT_EQ(box["ny"].toInt(), kSide);
    const double x = box["x"].toDouble() + (col + 0.5) * box["w"].toDouble() / kSide;
    const double y = box["y"].toDouble() + (row + 0.5) * box["h"].toDouble() / kSide;
    ASSERT_TRUE(page.MovePointer(x, y));
    const QString readout = QStringLiteral("X: %1  Y: %2  Int: %3")
                                .arg(PointXText(doc, col), PointYText(doc, row))
                                .arg(value);
    EXPECT_TRUE(page.WaitFor(
        QStringLiteral("document.getElementById('readout').textContent === '%1'").arg(readout),
        5000))
        << page.Evaluate("document.getElementById('readout').textContent").toString().toStdString()
        << " instead of " << readout.toStdString();

    // The cell in the program's colour: the built-in table of a fresh start, the range
    // the colour scale is labelled with.
    const int min = page.Evaluate("+document.getElementById('scale-min').textContent").toInt();
    const int max = page.Evaluate("+document.getElementById('scale-max').textContent").toInt();
    EXPECT_GT(max, 0);
    const COLORREF expected =
        BuiltInColourTable()[static_cast<std::size_t>(IntensityColourIndex(value, min, max))];
    const QJsonArray pixel =
        page.Evaluate(QStringLiteral("Array.from(document.getElementById('cells').getContext("
                                     "'2d').getImageData(%1, %2, 1, 1).data)")
                          .arg(col)
                          .arg(row))
            .toArray();
    ASSERT_EQ(pixel.size(), 4);
    EXPECT_EQ(pixel[0].toInt(), RedOf(expected));
    EXPECT_EQ(pixel[1].toInt(), GreenOf(expected));
    EXPECT_EQ(pixel[2].toInt(), BlueOf(expected));
}

} // namespace
