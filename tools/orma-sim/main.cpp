#include "tools/orma-sim/Commands.h"
#include "tools/orma-sim/SimLink.h"

#include <QCoreApplication>

#include <clocale>
#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "Usage: orma-sim COMMAND [options]\n"
    "The instrument's side of Vespira's two sockets, for demos, tests and benchmarks.\n"
    "\n"
    "Commands:\n"
    "  scan          scan a synthetic sample into a new pattern\n"
    "  replay FILE   scan out an existing .rad pattern\n"
    "  send CODE     send one remote command and print the reply status\n"
    "  targets       receive target lists from the Send-targets dialog\n"
    "  bench         measure remote command throughput\n"
    "\n"
    "'orma-sim COMMAND --help' describes each. The sockets live in the pipe directory:\n"
    "$VESPIRA_PIPE_DIR, else $XDG_RUNTIME_DIR, else /tmp/vespira-<uid>.\n"
    "Exit codes: 0 done, 1 usage, 2 no link to Vespira, 3 the pattern was closed,\n"
    "130 interrupted.\n";

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orma-sim"));
    // Qt takes the user's locale; numbers printed here keep the decimal point.
    std::setlocale(LC_NUMERIC, "C");

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(kUsage, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? kExitUsage : kExitOk;
    }
    const QString command = args.takeFirst();
    if (command == "scan")
        return RunScan(args);
    if (command == "replay")
        return RunReplay(args);
    if (command == "send")
        return RunSend(args);
    if (command == "targets")
        return RunTargets(args);
    if (command == "bench")
        return RunBench(args);
    SimError("unknown command '" + command.toStdString() + "'");
    std::fputs(kUsage, stderr);
    return kExitUsage;
}
