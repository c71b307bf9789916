#include "app/CSingleInstance.h"
#include "link/PipeDirectory.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QProcessEnvironment Environment(const QTemporaryDir& dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VESPIRA_PIPE_DIR"), dir.path() + QStringLiteral("/pipes"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path() + QStringLiteral("/config"));
    return env;
}

} // namespace

TEST(SingleInstance, FirstCopyListensInThePipeDirectory)
{
    QTemporaryDir dir;
    const QString socket = dir.path() + QStringLiteral("/vespira.instance");
    CSingleInstance first(socket);
    EXPECT_EQ(first.Start(QByteArray()), CSingleInstance::Result::First);
    EXPECT_TRUE(first.IsListening());
    EXPECT_TRUE(QFile::exists(socket));
}

TEST(SingleInstance, AStaleSocketFileIsTakenOver)
{
    QTemporaryDir dir;
    const QString socket = dir.path() + QStringLiteral("/vespira.instance");
    QFile stale(socket);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    CSingleInstance first(socket);
    EXPECT_EQ(first.Start(QByteArray()), CSingleInstance::Result::First);
}

// A real second start of the program finds this copy, hands over the absolute path of
// its file and ends with status 0.
TEST(SingleInstance, SecondProgramHandsItsFileOverAndExits)
{
    QTemporaryDir dir;
    const PipeDirectoryResult pipes = CheckPipeDirectory(dir.path() + QStringLiteral("/pipes"));
    ASSERT_TRUE(pipes.ok());
    CSingleInstance first(pipes.path + QLatin1Char('/') + QLatin1String(kInstanceSocketName));
    ASSERT_EQ(first.Start(QByteArray()), CSingleInstance::Result::First);
    QStringList received;
    QObject::connect(&first, &CSingleInstance::activateRequested,
                     [&received](const QByteArray& file) { received << QFile::decodeName(file); });

    QProcess second;
    second.setProcessEnvironment(Environment(dir));
    second.setWorkingDirectory(dir.path());
    second.start(QStringLiteral(VESPIRA_EXE), {QStringLiteral("/NOS"), QStringLiteral("some.rad")});
    ASSERT_TRUE(second.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor([&]() { return second.state() == QProcess::NotRunning; }, 15000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0], dir.path() + QStringLiteral("/some.rad"));
}

// Two real copies of the program: the second hands a file to the first, which opens it
// (here a file that is not a pattern, so the first copy's message line shows it did).
TEST(SingleInstance, TwoRealProcesses)
{
    QTemporaryDir dir;
    const QString bad = dir.path() + QStringLiteral("/not-a-pattern.rad");
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("hello\n");
    }
    QProcess first;
    first.setProcessEnvironment(Environment(dir));
    first.setProcessChannelMode(QProcess::SeparateChannels);
    first.start(QStringLiteral(VESPIRA_EXE), {QStringLiteral("--nosplash")});
    ASSERT_TRUE(first.waitForStarted(5000));
    const QString socket = dir.path() + QStringLiteral("/pipes/vespira.instance");
    ASSERT_TRUE(QTest::qWaitFor([&]() { return QFile::exists(socket); }, 15000));

    QProcess second;
    second.setProcessEnvironment(Environment(dir));
    second.start(QStringLiteral(VESPIRA_EXE), {bad});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    QByteArray err;
    EXPECT_TRUE(QTest::qWaitFor(
        [&]() {
            err += first.readAllStandardError();
            return err.contains("message: Requested file in not a ORMA Radiography document");
        },
        15000))
        << err.constData();
    first.kill();
    first.waitForFinished(5000);
}
