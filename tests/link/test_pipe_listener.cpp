#include "link/CInstrumentServer.h"
#include "link/CPipeListener.h"
#include "tests/link/LinkFakes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <future>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Result = CInstrumentServer::Result;

// The instrument's side runs on its own thread while the test's GUI thread pumps events,
// as the program's would.
class ListenerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("cmd").toStdString();
        std::string error;
        ASSERT_TRUE(server.Listen(path, error)) << error;
    }

    template <typename F>
    auto OnInstrument(F f) -> decltype(f())
    {
        auto future = std::async(std::launch::async, f);
        EXPECT_TRUE(PumpUntil(
            [&] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            10000));
        return future.get();
    }

    Result Exchange(const PipeMessage& m, std::int32_t& status, int replyMs = 3000)
    {
        return OnInstrument([&] { return server.Exchange(m, status, 3000, replyMs); });
    }

    QTemporaryDir dir;
    std::string path;
    CInstrumentServer server;
};

TEST_F(ListenerTest, RepliesOnlyAfterTheGuiThreadHandledTheRequest)
{
    const auto gui = std::this_thread::get_id();
    std::vector<PipeMessage> seen;
    bool ranOnGui = true;
    CPipeListener listener(path, [&](const PipeMessage& m) {
        ranOnGui = ranOnGui && std::this_thread::get_id() == gui;
        seen.push_back(m);
        PumpFor(50); // a command that takes its time, as a message box does
        return m.code == kNewPoint ? -1 : 0;
    });
    listener.Start();

    std::int32_t status = 99;
    ASSERT_EQ(Exchange(Request(kCheckPipe), status), Result::Ok);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(Exchange(Request(kNewPoint, 1.5f, 2.5f, 0, 0, 0, 0, 7), status), Result::Ok);
    EXPECT_EQ(status, -1);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].param2, 2.5f);
    EXPECT_EQ(seen[1].intParam, 7);
    EXPECT_TRUE(ranOnGui);
}

TEST_F(ListenerTest, MalformedRequestsNeitherCrashNorBlock)
{
    std::vector<PipeMessage> seen;
    CPipeListener listener(path, [&](const PipeMessage& m) {
        seen.push_back(m);
        return 0;
    });
    listener.Start();
    std::int32_t status = 0;

    // Too long: no reply, not handled.
    std::vector<std::uint8_t> tooLong(400, 0);
    tooLong[0] = kCheckPipe;
    EXPECT_EQ(OnInstrument([&] {
                  return server.ExchangeRaw(tooLong.data(), tooLong.size(), status, 3000, 3000);
              }),
              Result::NoReply);
    EXPECT_TRUE(seen.empty());

    // A whole request, then a short one: the bytes it lacks keep their earlier values.
    ASSERT_EQ(Exchange(Request(kNewPoint, 1, 2, 0, 0, 0, 0, 55, "old"), status), Result::Ok);
    const std::uint8_t shortRequest[5] = {kCollecting, 0, 0, 0, 0};
    ASSERT_EQ(OnInstrument([&] {
                  return server.ExchangeRaw(shortRequest, sizeof shortRequest, status, 3000, 3000);
              }),
              Result::Ok);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].code, kCollecting);
    EXPECT_EQ(seen[1].param1, 1.0f);
    EXPECT_EQ(seen[1].param2, 2.0f);
    EXPECT_EQ(seen[1].intParam, 55);
    EXPECT_STREQ(seen[1].text, "old");

    // A text without its NUL is taken as its first 255 characters.
    PipeBytes noNul = EncodePipeMessage(Request(kSaveImage));
    std::fill(noNul.begin() + 32, noNul.end(), 'a');
    ASSERT_EQ(OnInstrument([&] { return server.Exchange(noNul, status, 3000, 3000); }), Result::Ok);
    EXPECT_EQ(std::string(seen.back().text), std::string(255, 'a'));

    // An instrument that connects and never sends leaves the GUI thread free.
    CPipeSocket idle = OnInstrument([&] { return server.Accept(3000); });
    ASSERT_TRUE(idle.IsValid());
    bool timerRan = false;
    QTimer::singleShot(10, [&] { timerRan = true; });
    EXPECT_TRUE(PumpUntil([&] { return timerRan; }, 2000));
    idle.Close();
    ASSERT_EQ(Exchange(Request(kCheckPipe), status), Result::Ok);
}

TEST_F(ListenerTest, KeepsRetryingUntilTheInstrumentListens)
{
    server.Close();
    int handled = 0;
    CPipeListener listener(path, [&](const PipeMessage&) { return ++handled, 0; });
    listener.Start();
    PumpFor(700); // at least one failed connect and its pause
    std::string error;
    ASSERT_TRUE(server.Listen(path, error)) << error;
    std::int32_t status = 0;
    EXPECT_EQ(Exchange(Request(kCheckPipe), status), Result::Ok);
    EXPECT_EQ(handled, 1);
}

TEST_F(ListenerTest, StopsPromptlyEvenWithARequestQueuedToTheGuiThread)
{
    std::atomic<bool> handled = false;
    auto listener = std::make_unique<CPipeListener>(path, [&](const PipeMessage&) {
        handled = true;
        return 0;
    });
    listener->Start();
    // The request reaches the listener, but the GUI thread never runs its event loop.
    std::thread instrument([&] {
        std::int32_t status = 0;
        server.Exchange(Request(kCheckPipe), status, 3000, 3000);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto start = std::chrono::steady_clock::now();
    listener.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(handled);
    instrument.join();
}

TEST_F(ListenerTest, RefusesAnInstrumentOfAnotherUser)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to listen as another user";
    server.Close();
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
    // A child listens as "nobody" and sends one request: exit 4 when it got a reply.
    const pid_t child = fork();
    if (child == 0) {
        if (seteuid(65534) != 0)
            _exit(2);
        CInstrumentServer foreign;
        std::string error;
        if (!foreign.Listen(path, error))
            _exit(3);
        std::int32_t status = 0;
        _exit(foreign.Exchange(Request(kCheckPipe), status, 3000, 1000) == Result::Ok ? 4 : 5);
    }
    ASSERT_GT(child, 0);
    int handled = 0;
    CPipeListener listener(path, [&](const PipeMessage&) { return ++handled, 0; });
    listener.Start();
    PumpFor(1500);
    int wstatus = 0;
    ASSERT_EQ(waitpid(child, &wstatus, 0), child);
    ASSERT_TRUE(WIFEXITED(wstatus));
    EXPECT_EQ(WEXITSTATUS(wstatus), 5) << "served an instrument of another user";
    EXPECT_EQ(handled, 0);
}

} // namespace
