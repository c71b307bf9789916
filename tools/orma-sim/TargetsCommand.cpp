#include "Commands.h"
#include "NumberText.h"
#include "PipeDirectory.h"
#include "SimOptions.h"

#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>

namespace {

constexpr int kConnectRetryMs = 10;
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
    std::fflush(stdout);
    return false;
}

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
    std::fprintf(stderr, "orma-sim: waiting for target lists at %s\n", path.c_str());
    while (!stop.Raised()) {
        // The dialog's socket exists only during an exchange, and it waits 1000 ms for
        // us: try often.
        CPipeSocket socket = CPipeSocket::Connect(path);
        if (!socket.IsValid() || !socket.PeerIsOwnUser()) {
            WaitReady(stop.Fd(), POLLIN, kConnectRetryMs, -1);
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
