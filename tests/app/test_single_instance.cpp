#include "app/CSingleInstance.h"
#include "link/PipeDirectory.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

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

// The guard is a lock held for the whole run: a second copy never runs beside the first,
// whatever happened to the socket file; the first listens again and takes the file.
TEST(SingleInstance, ASecondProgramNeverRunsBesideTheFirstWhateverHappenedToTheSocket)
{
    QTemporaryDir dir;
    const PipeDirectoryResult pipes = CheckPipeDirectory(dir.path() + QStringLiteral("/pipes"));
    ASSERT_TRUE(pipes.ok());
    const QString socket = pipes.path + QLatin1Char('/') + QLatin1String(kInstanceSocketName);
    CSingleInstance first(socket);
    ASSERT_EQ(first.Start(QByteArray()), CSingleInstance::Result::First);
    QStringList received;
    QObject::connect(&first, &CSingleInstance::activateRequested,
                     [&received](const QByteArray& file) { received << QFile::decodeName(file); });
    ASSERT_TRUE(QFile::remove(socket));

    QProcess second;
    second.setProcessEnvironment(Environment(dir));
    second.setWorkingDirectory(dir.path());
    second.start(QStringLiteral(VESPIRA_EXE), {QStringLiteral("/NOS"), QStringLiteral("late.rad")});
    ASSERT_TRUE(second.waitForStarted(5000));
    const bool ended =
        QTest::qWaitFor([&]() { return second.state() == QProcess::NotRunning; }, 15000);
    if (!ended) {
        second.kill();
        second.waitForFinished(5000);
    }
    ASSERT_TRUE(ended) << "a second copy runs beside the first";
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().constData();
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0], dir.path() + QStringLiteral("/late.rad"));
    EXPECT_TRUE(first.IsListening());
}

// A copy that holds the lock but does not answer (hung, or its socket never came): a later
// start says so and ends rather than run beside it.
TEST(SingleInstance, ALaterStartThatGetsNoAnswerEnds)
{
    QTemporaryDir dir;
    const PipeDirectoryResult pipes = CheckPipeDirectory(dir.path() + QStringLiteral("/pipes"));
    ASSERT_TRUE(pipes.ok());
    const QByteArray lock = QFile::encodeName(pipes.path + QStringLiteral("/vespira.lock"));
    const int held = ::open(lock.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    QProcess second;
    second.setProcessEnvironment(Environment(dir));
    second.start(QStringLiteral(VESPIRA_EXE), {QStringLiteral("/NOS")});
    ASSERT_TRUE(second.waitForStarted(5000));
    const bool ended = second.waitForFinished(20000);
    ::close(held);
    if (!ended) {
        second.kill();
        second.waitForFinished(5000);
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(second.exitCode(), 1);
    const QByteArray err = second.readAllStandardError();
    EXPECT_TRUE(err.contains("vespira: another Vespira runs (it holds " + lock +
                             ") but did not answer at "))
        << err.constData();
}

namespace {

// An idle client of the hand-over socket: connected, sending nothing.
struct IdleClient
{
    explicit IdleClient(const QString& path)
    {
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(path);
        std::memcpy(address.sun_path, native.constData(), native.size() + 1);
        connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~IdleClient() { ::close(fd); }
    // Still served: the other end has not closed it.
    bool Open() const
    {
        char byte = 0;
        const ssize_t n = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        return connected && n < 0 && errno == EAGAIN;
    }
    int fd = -1;
    bool connected = false;
};

// A later start's hand-over from a thread of its own, tried until the copy listening at
// socket answers or ms have passed; this thread runs that copy's event loop meanwhile.
bool HandOver(const QString& socket, const QByteArray& file, int ms)
{
    std::atomic<bool> answered{false};
    std::atomic<bool> done{false};
    std::thread sender([&] {
        QDeadlineTimer deadline(ms);
        while (!answered && !deadline.hasExpired()) {
            answered = CSingleInstance::SendRequest(socket, file, 1000);
            if (!answered)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        done = true;
    });
    (void)QTest::qWaitFor([&] { return done.load(); }, ms + 3000);
    sender.join();
    return answered;
}

} // namespace

// A flood of idle connections holds a few descriptors for a second each, and a copy
// started after it still hands its file over.
TEST(SingleInstance, IdleConnectionsAreFewAndTimedOut)
{
    QTemporaryDir dir;
    const QString socket = dir.path() + QStringLiteral("/vespira.instance");
    CSingleInstance first(socket);
    ASSERT_EQ(first.Start(QByteArray()), CSingleInstance::Result::First);
    std::vector<std::unique_ptr<IdleClient>> clients;
    for (int i = 0; i < 40; ++i) {
        clients.push_back(std::make_unique<IdleClient>(socket));
        QCoreApplication::processEvents();
    }
    QTest::qWait(200);
    const auto open = [&clients] {
        return std::count_if(clients.begin(), clients.end(),
                             [](const auto& client) { return client->Open(); });
    };
    EXPECT_LE(open(), CSingleInstance::kMaxConnections);
    EXPECT_TRUE(QTest::qWaitFor([&] { return open() == 0; }, 3000)) << open() << " still open";
    QStringList received;
    QObject::connect(&first, &CSingleInstance::activateRequested,
                     [&received](const QByteArray& file) { received << QFile::decodeName(file); });
    EXPECT_TRUE(HandOver(socket, "/x.rad", 5000));
    EXPECT_EQ(received, QStringList{"/x.rad"});
}

// Out of descriptors, the listening socket fails to take a connection; the guard listens
// again once there are descriptors to spare.
TEST(SingleInstance, TheGuardListensAgainAfterDescriptorsRanOut)
{
    QTemporaryDir dir;
    const QString socket = dir.path() + QStringLiteral("/vespira.instance");
    CSingleInstance first(socket);
    ASSERT_EQ(first.Start(QByteArray()), CSingleInstance::Result::First);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
    {
        IdleClient client(socket);
        const int lowestFree = ::dup(0);
        ASSERT_GE(lowestFree, 0);
        ::close(lowestFree);
        rlimit limit = old;
        limit.rlim_cur = static_cast<rlim_t>(lowestFree);
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        ::setrlimit(RLIMIT_NOFILE, &old);
    }
    EXPECT_TRUE(HandOver(socket, "/y.rad", 8000));
    EXPECT_TRUE(first.IsListening());
}
