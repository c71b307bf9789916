#include "base/NumberText.h"
#include "tools/orma-sim/Commands.h"
#include "tools/orma-sim/SimOptions.h"

#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace {

// The program's side of the exchange with nothing behind it: connect, read, reply,
// close, as fast as the sockets allow. Its rate is the limit the real program can reach.
class CBarePeer
{
public:
    explicit CBarePeer(std::string path)
        : m_path(std::move(path)), m_wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
          m_thread([this] { Run(); })
    {}
    ~CBarePeer()
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
        m_thread.join();
        ::close(m_wakeFd);
    }

private:
    void Run()
    {
        PipeBytes request{};
        const PipeBytes reply = EncodePipeMessage(PipeMessage{});
        for (;;) {
            CPipeSocket socket = CPipeSocket::Connect(m_path);
            if (!socket.IsValid()) {
                if (WaitReady(m_wakeFd, POLLIN, 1, -1) == CPipeSocket::Result::Ok)
                    return;
                continue;
            }
            std::size_t size = 0;
            const CPipeSocket::Result got = socket.Receive(request, size, -1, m_wakeFd);
            if (got == CPipeSocket::Result::Woken)
                return;
            if (got == CPipeSocket::Result::Ok)
                socket.Send(reply, 1000, m_wakeFd);
        }
    }

    std::string m_path;
    int m_wakeFd;
    std::thread m_thread;
};

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Exchanges per second of `count` requests made by `make`; 0 when one failed.
template <typename Exchange, typename Make>
double Rate(long count, Exchange exchange, Make make)
{
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i) {
        std::int32_t status = 0;
        if (!exchange(make(i), status))
            return 0.0;
    }
    return count / Seconds(start);
}

PipeMessage CheckPipe(long)
{
    PipeMessage m;
    m.code = kCheckPipe;
    return m;
}

void PrintRate(const char* what, double rate, double bare)
{
    std::printf("%-20s %10s exchanges/s", what, FormatFixed(rate, 0).c_str());
    if (bare > 0)
        std::printf("   %s of the bare socket limit", FormatFixed(rate / bare, 2).c_str());
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int RunBench(const QStringList& args)
{
    CSimOptions options("bench",
                        "Measures remote command throughput against a running Vespira: N "
                        "CHECKPIPE and N NEWPOINT exchanges as fast as possible, after a "
                        "NEWIMAGE of a GRID x GRID pattern. Prints exchanges per second, the "
                        "bare socket limit measured in the same run (the same connect, send, "
                        "receive, close pattern against a trivial peer in this process) and "
                        "their ratio.");
    options.parser.addOption({"count", "Exchanges per measurement (default 20000).", "n", "20000"});
    options.parser.addOption(
        {"grid", "Columns and rows of the pattern (default 1000).", "n", "1000"});
    options.parser.addOption({"no-newimage", "Use the pattern already active in Vespira."});
    if (const int parsed = options.Parse(args); parsed != kExitOk)
        return parsed < 0 ? kExitOk : parsed;
    int count = 0;
    int grid = 0;
    if (!ParseInt(options.parser.value("count"), count) || count < 1 ||
        !ParseInt(options.parser.value("grid"), grid) || grid < 1 || grid > 7000) {
        SimError("--count needs a number of 1 or more, --grid one from 1 to 7000");
        return kExitUsage;
    }

    CStopSignal stop;
    double bare = 0.0;
    {
        QTemporaryDir dir;
        CInstrumentServer server;
        std::string error;
        if (!dir.isValid() || !server.Listen(dir.filePath("bench").toStdString(), error)) {
            SimError("cannot set up the bare socket measurement: " + error);
            return kExitLink;
        }
        CBarePeer peer(server.Path());
        auto exchange = [&](const PipeMessage& m, std::int32_t& status) {
            return server.Exchange(m, status, 5000, 5000) == CInstrumentServer::Result::Ok;
        };
        Rate(count / 10 + 1, exchange, CheckPipe);
        bare = Rate(count, exchange, CheckPipe);
    }
    if (bare == 0.0) {
        SimError("the bare socket measurement failed");
        return kExitLink;
    }
    PrintRate("bare socket limit", bare, 0.0);

    CSimLink link(stop);
    if (const int exit = options.OpenLink(link); exit != kExitOk)
        return exit;
    auto exchange = [&](const PipeMessage& m, std::int32_t& status) {
        return link.Exchange(m, status) && status == 0;
    };
    std::int32_t status = 0;
    if (!options.parser.isSet("no-newimage")) {
        PipeMessage newImage;
        newImage.code = kNewImage;
        newImage.param2 = static_cast<float>(grid - 1);
        newImage.param3 = 1.0f;
        newImage.param5 = static_cast<float>(grid - 1);
        newImage.param6 = 1.0f;
        if (!link.Exchange(newImage, status))
            return kExitLink;
    }
    Rate(count / 10 + 1, exchange, CheckPipe);
    const double checkPipe = Rate(count, exchange, CheckPipe);
    const double newPoint = Rate(count, exchange, [grid](long i) {
        PipeMessage m;
        m.code = kNewPoint;
        m.param1 = static_cast<float>(i % grid);
        m.param2 = static_cast<float>((i / grid) % grid);
        m.intParam = static_cast<std::int32_t>((i * 37) % 5000);
        return m;
    });
    if (checkPipe == 0.0 || newPoint == 0.0) {
        SimError("an exchange failed or Vespira had no active pattern (reply -1)");
        return kExitLink;
    }
    PrintRate("CHECKPIPE", checkPipe, bare);
    PrintRate("NEWPOINT", newPoint, bare);
    return kExitOk;
}
