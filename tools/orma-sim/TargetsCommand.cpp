#include "base/NumberText.h"
#include "link/PipeDirectory.h"
#include "tools/orma-sim/Commands.h"
#include "tools/orma-sim/SimOptions.h"

#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// The watch on the pipe directory wakes the simulator as soon as the socket appears;
// this is only a safety net. Without a watch it tries this often.
constexpr int kWatchRetryMs = 1000;
constexpr int kPollRetryMs = 10;
// Printed lines are written out in bursts, at the latest after this pause.
constexpr int kFlushAfterMs = 50;
constexpr int kMessageWaitMs = 1000;

std::string Padded(const std::string& text, std::size_t width)
{
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

std::string JobField(const PipeMessage& m, std::size_t offset)
{
    return std::string(m.text + offset, strnlen(m.text + offset, kJobFieldSize - 1));
}

// Prints one message of the target socket; true when it was the collect order.
bool Print(const PipeMessage& m, int& targets)
{
    switch (m.code) {
    case kTargetListStart:
        targets = 0;
        std::printf("Target list:\n  Index      X mm      Y mm     Time s\n");
        break;
    case kTarget:
        ++targets;
        std::printf("  %s %s %s %s\n", Padded(FormatInt(m.intParam), 5).c_str(),
                    Padded(FormatFixed(m.param1, 3), 9).c_str(),
                    Padded(FormatFixed(m.param2, 3), 9).c_str(),
                    Padded(FormatFixed(m.param3, 1), 10).c_str());
        break;
    case kStartCollecting:
        std::printf("Collect order: job \"%s\", title \"%s\", sample \"%s\", sample number %s, "
                    "%d targets\n",
                    JobField(m, kJobNameOffset).c_str(), JobField(m, kJobTitleOffset).c_str(),
                    JobField(m, kJobSampleOffset).c_str(), FormatInt(m.intParam).c_str(), targets);
        std::fflush(stdout);
        return true;
    default:
        std::printf("Unknown message code %s\n", FormatInt(m.code).c_str());
        break;
    }
    return false;
}

// Tells when a socket of the given name appears in a directory. The program's target
// socket exists only while it sends, and it waits only 1000 ms for the connect, so
// connecting the moment it appears matters more than anything else here.
class CSocketWatch
{
public:
    explicit CSocketWatch(const std::string& path)
    {
        const std::size_t slash = path.rfind('/');
        m_name = path.substr(slash + 1);
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd >= 0 &&
            ::inotify_add_watch(m_fd, path.substr(0, slash).c_str(), IN_CREATE | IN_MOVED_TO) < 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~CSocketWatch()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CSocketWatch(const CSocketWatch&) = delete;
    CSocketWatch& operator=(const CSocketWatch&) = delete;

    // Waits until the socket's name appears, a second passes or the stop descriptor
    // becomes readable. Printed lines are written out once nothing has come for a
    // moment, not one by one. Without a watch it waits a moment.
    void Wait(int stopFd)
    {
        if (m_fd < 0) {
            std::fflush(stdout);
            WaitReady(stopFd, POLLIN, kPollRetryMs, -1);
            return;
        }
        for (int waited = 0; waited < kWatchRetryMs;) {
            const int step = waited == 0 ? kFlushAfterMs : kWatchRetryMs - kFlushAfterMs;
            const CPipeSocket::Result ready = WaitReady(m_fd, POLLIN, step, stopFd);
            if (ready == CPipeSocket::Result::Ok) {
                if (Drain())
                    return;
                continue;
            }
            if (ready != CPipeSocket::Result::TimedOut)
                return;
            std::fflush(stdout);
            waited += step;
        }
    }

private:
    // Reads every queued event; true when one named the socket.
    bool Drain()
    {
        alignas(inotify_event) char buffer[4096];
        bool named = false;
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
            if (got <= 0)
                return named;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && m_name == event->name)
                    named = true;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    int m_fd = -1;
    std::string m_name;
};

} // namespace

int RunTargets(const QStringList& args)
{
    CSimOptions options("targets",
                        "Serves the instrument's side of the target socket: connects to every "
                        "exchange of Vespira's Send-targets dialog, answers each message with "
                        "288 bytes and prints the target lists and collect orders. Ctrl+C "
                        "stops.",
                        false);
    options.parser.addOption({"once", "Stop after the first collect order."});
    if (const int parsed = options.Parse(args); parsed != kExitOk)
        return parsed < 0 ? kExitOk : parsed;

    const std::string path = SocketPath(kTargetSocketName);
    if (path.empty())
        return kExitLink;
    const bool once = options.parser.isSet("once");
    CStopSignal stop;
    int targets = 0;
    CSocketWatch watch(path);
    std::fprintf(stderr, "orma-sim: waiting for target lists at %s\n", path.c_str());
    while (!stop.Raised()) {
        // The dialog's socket exists only while it sends, and may be a new one for each
        // message: connect for each, and when it is not there yet, wait until it appears.
        CPipeSocket socket = CPipeSocket::Connect(path);
        if (!socket.IsValid() || !socket.PeerIsOwnUser()) {
            watch.Wait(stop.Fd());
            continue;
        }
        PipeBytes bytes{};
        std::size_t size = 0;
        const CPipeSocket::Result got = socket.Receive(bytes, size, kMessageWaitMs, stop.Fd());
        if (got == CPipeSocket::Result::Woken)
            break;
        if (got != CPipeSocket::Result::Ok)
            continue;
        PipeMessage reply;
        socket.Send(EncodePipeMessage(reply), kMessageWaitMs, stop.Fd());
        if (size != kPipeMessageSize)
            std::fprintf(stderr, "orma-sim: a message of %zu bytes, not 288\n", size);
        if (Print(DecodePipeMessage(bytes), targets) && once)
            return kExitOk;
    }
    return kExitInterrupted;
}
