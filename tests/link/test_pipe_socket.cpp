#include "link/PipeSocket.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

using Result = CPipeSocket::Result;

class PipeSocketTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("sock").toStdString();
        std::string error;
        ASSERT_TRUE(server.Listen(path, error)) << error;
        client = CPipeSocket::Connect(path);
        ASSERT_TRUE(client.IsValid());
        peer = server.Accept(1000);
        ASSERT_TRUE(peer.IsValid());
    }

    QTemporaryDir dir;
    std::string path;
    CPipeServer server;
    CPipeSocket client;
    CPipeSocket peer;
};

TEST_F(PipeSocketTest, CarriesWholeMessagesBetweenOwnUsers)
{
    EXPECT_TRUE(client.PeerIsOwnUser());
    EXPECT_TRUE(peer.PeerIsOwnUser());
    EXPECT_EQ(client.PeerUid(), static_cast<long>(getuid()));

    PipeMessage m;
    m.code = 4;
    m.intParam = 99;
    ASSERT_EQ(client.Send(EncodePipeMessage(m), 1000), Result::Ok);
    PipeBytes in{};
    std::size_t size = 0;
    ASSERT_EQ(peer.Receive(in, size, 1000), Result::Ok);
    EXPECT_EQ(size, 288u);
    EXPECT_EQ(DecodePipeMessage(in).intParam, 99);
}

TEST_F(PipeSocketTest, ShortMessagesKeepTheRestAndLongOnesAreRefused)
{
    PipeBytes in;
    in.fill(0x55);
    std::size_t size = 0;

    const std::uint8_t shortMessage[6] = {5, 0, 0, 0, 1, 2};
    ASSERT_EQ(::send(client.Fd(), shortMessage, sizeof shortMessage, 0), 6);
    ASSERT_EQ(peer.Receive(in, size, 1000), Result::Ok);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(in[0], 5);
    EXPECT_EQ(in[5], 2);
    EXPECT_EQ(in[6], 0x55);
    EXPECT_EQ(in[287], 0x55);

    std::uint8_t longMessage[300] = {};
    longMessage[0] = 7;
    ASSERT_EQ(::send(client.Fd(), longMessage, sizeof longMessage, 0), 300);
    EXPECT_EQ(peer.Receive(in, size, 1000), Result::TooLong);
    EXPECT_EQ(in[0], 5) << "nothing of a refused message is kept";

    // The next message is read on its own: the long one did not spill into it.
    ASSERT_EQ(::send(client.Fd(), shortMessage, 1, 0), 1);
    ASSERT_EQ(peer.Receive(in, size, 1000), Result::Ok);
    EXPECT_EQ(size, 1u);
}

TEST_F(PipeSocketTest, WaitsAreBoundedAndCanBeCutShort)
{
    PipeBytes in{};
    std::size_t size = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(peer.Receive(in, size, 100), Result::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    const int wake = eventfd(1, EFD_CLOEXEC);
    EXPECT_EQ(peer.Receive(in, size, -1, wake), Result::Woken);
    EXPECT_FALSE(server.Accept(-1, wake).IsValid());
    close(wake);
    EXPECT_FALSE(server.Accept(50).IsValid());

    client.Close();
    EXPECT_EQ(peer.Receive(in, size, 1000), Result::Closed);
    EXPECT_NE(peer.Send(in, 100), Result::Ok) << "and no SIGPIPE either";
}

TEST(PipeServerTest, TakesOverOnlyAStaleSocket)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("sock").toStdString();
    std::string error;
    {
        CPipeServer first;
        ASSERT_TRUE(first.Listen(path, error));
        CPipeServer second;
        EXPECT_FALSE(second.Listen(path, error));
        EXPECT_NE(error.find("already listens"), std::string::npos) << error;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::System).size(), 1) << "no private name left";
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path))) << "removed on close";

    // A socket file left by a program that ended without removing it.
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
    CPipeServer server;
    EXPECT_TRUE(server.Listen(path, error)) << error;
    server.Close();

    std::ofstream(path) << "data";
    EXPECT_FALSE(server.Listen(path, error));
    EXPECT_NE(error.find("not a socket"), std::string::npos) << error;
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System).size(), 1);
    EXPECT_FALSE(server.Listen(std::string(200, 'p'), error));
    EXPECT_FALSE(CPipeSocket::Connect(path).IsValid());
}

} // namespace

// A peer that answers and hangs up at once: the answer is read, never taken for a close.
// The kernel can report the close to a read that began just before the answer arrived,
// so the answer and the read start together, many times over, to meet that moment.
TEST(PipeSocketRaceTest, AnAnswerSentJustBeforeTheCloseIsRead)
{
    constexpr int kExchanges = 100000;
    std::atomic<int> peerFd{-1};
    std::atomic<int> round{0};
    std::atomic<bool> done{false};
    std::thread answerer([&] {
        for (int seen = 0; !done;) {
            if (round.load() == seen) {
                std::this_thread::yield();
                continue;
            }
            seen = round.load();
            CPipeSocket peer(peerFd.exchange(-1));
            PipeBytes reply{};
            peer.Send(reply, 1000);
        }
    });
    int lost = 0;
    for (int i = 1; i <= kExchanges; ++i) {
        int fds[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds), 0);
        CPipeSocket reader(fds[0]);
        peerFd = fds[1];
        round = i;
        PipeBytes bytes{};
        std::size_t size = 0;
        if (reader.Receive(bytes, size, 1000) != Result::Ok || size != bytes.size())
            ++lost;
        while (peerFd.load() != -1)
            std::this_thread::yield();
    }
    done = true;
    ++round;
    answerer.join();
    EXPECT_EQ(lost, 0);
}
