// The whole Send of the Send-targets dialog for 100,000 targets to `orma-sim targets`,
// which prints them: one connection per message, so this is 100,001 exchanges. Meanwhile the
// instrument's side of the remote command socket asks CHECKPIPE over and over, answered
// by the program's own listener and remote command handler. Prints the time of the Send
// (target at most 5 s) and the longest CHECKPIPE answer during it (target at most 0.5 s).
#include "document/CVespiraDoc.h"
#include "document/IHostUi.h"
#include "link/CPipeListener.h"
#include "link/CRemoteCommandHandler.h"
#include "link/IRemoteHost.h"
#include "link/PipeDirectory.h"
#include "link/dialogs/CSendTargetsDlg.h"
#include "tests/common/TestProgram.h"
#include "tests/link/CheckPipeProbe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int kColumns = 400;
constexpr int kRows = 250; // 100,000 points, every one a target

double CpuMs(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct CNoHost : IRemoteHost
{
    CVespiraDoc* NewDocument() override { return nullptr; }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The program's sockets live in $XDG_RUNTIME_DIR, a tmpfs on a desktop; a folder on
    // disk would add the cost of creating and deleting inodes to every message.
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (base.isEmpty() && QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        base = QStringLiteral("/dev/shm");
    QTemporaryDir dir(base.isEmpty() ? QString()
                                     : base + QStringLiteral("/bench_send_targets-XXXXXX"));
    if (!dir.isValid())
        return 1;
    qputenv("VESPIRA_PIPE_DIR", QFile::encodeName(dir.path()));

    QProcess sim;
    sim.setStandardOutputFile(dir.filePath(QStringLiteral("targets.txt")));
    sim.setReadChannel(QProcess::StandardError);
    sim.start(QStringLiteral(ORMA_SIM_PATH), {QStringLiteral("targets"), QStringLiteral("--once")});
    // It says so on standard error once it watches for the socket.
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_send_targets: orma-sim did not start\n");
        return 1;
    }

    CStderrUi ui;
    CTestProgram state(ui);
    CNoHost host;
    CRemoteCommandHandler handler(state.services, state.view, host);
    const std::string command =
        QFile::encodeName(dir.filePath(QLatin1String(kCommandSocketName))).toStdString();
    CPipeListener listener(command,
                           [&handler](const PipeMessage& m) { return handler.HandleRequest(m); });
    listener.Start();
    CCheckPipeProbe probe(command, 5);
    QElapsedTimer wait;
    wait.start();
    while (probe.Answers() < 3 && wait.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (probe.Answers() < 3) {
        std::fprintf(stderr, "bench_send_targets: the command socket does not answer\n");
        return 1;
    }

    CVespiraDoc doc(state);
    doc.SetUpGrid({kColumns, kRows, 0.0f, kColumns - 1.0f, 1.0f, 0.0f, kRows - 1.0f, 1.0f});
    std::fill(doc.m_pScanTime.begin(), doc.m_pScanTime.end(), 900.0f);
    doc.RecountSelection();
    QElapsedTimer opening;
    opening.start();
    CSendTargetsDlg dialog(doc, state.job, state.services.ui);
    dialog.show();
    QCoreApplication::processEvents();
    const double openMs = static_cast<double>(opening.nsecsElapsed()) / 1e6;

    QElapsedTimer timer;
    const double cpuBefore = CpuMs(RUSAGE_SELF);
    probe.Restart();
    timer.start();
    dialog.OnSend();
    const double sendMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const double cpuVespira = CpuMs(RUSAGE_SELF) - cpuBefore;
    const int answers = probe.Answers();
    const int failures = probe.Failures();
    const double worstMs = probe.WorstMs();
    const double worstAtMs = probe.WorstAtMs();
    const bool sent = dialog.IsCollecting();
    dialog.OnCollect();
    sim.waitForFinished(10000);

    QFile out(dir.filePath(QStringLiteral("targets.txt")));
    out.open(QIODevice::ReadOnly);
    const QByteArray printed = out.readAll();
    const int lines = static_cast<int>(printed.count('\n'));
    const int targets = kColumns * kRows;
    std::printf("Opening the Send dialog over %d targets: %.0f ms\n", targets, openMs);
    std::printf("Send of %d targets to orma-sim targets: %.0f ms (%.1f us a message), "
                "target at most 5000 ms\n",
                targets, sendMs, sendMs * 1000.0 / (targets + 1));
    std::printf("CHECKPIPE on the command socket during the Send: %d answered, %d failed, "
                "longest answer %.1f ms (asked at %.0f ms), target at most 500 ms\n",
                answers, failures, worstMs, worstAtMs);
    // On a busy machine the wall time is mostly waiting for a turn on a core; the CPU
    // time tells what the exchanges themselves cost.
    std::printf("CPU time: %.0f ms in the dialog's process, %.0f ms in orma-sim\n", cpuVespira,
                CpuMs(RUSAGE_CHILDREN));
    std::printf("Sockets in %s\n", QFile::encodeName(dir.path()).constData());
    std::printf("orma-sim printed %d lines (%d expected)\n", lines, targets + 3);
    return sent && dialog.result() == QDialog::Accepted && lines == targets + 3 && failures == 0
               ? 0
               : 1;
}
