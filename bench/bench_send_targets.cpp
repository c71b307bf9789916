// The whole Send of the Send-targets dialog for 10,000 targets to `orma-sim targets`,
// which prints them: one socket per message, so this is 10,001 exchanges. Prints the
// time of the Send and of one message; the target is at most 2 s for the Send.
#include "document/CVespiraDoc.h"
#include "document/IHostUi.h"
#include "link/dialogs/CSendTargetsDlg.h"
#include "tests/common/TestProgram.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int kSide = 100; // 100 x 100 points, every one a target

double CpuMs(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
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
    CVespiraDoc doc(state);
    doc.SetUpGrid({kSide, kSide, 0.0f, kSide - 1.0f, 1.0f, 0.0f, kSide - 1.0f, 1.0f});
    std::fill(doc.m_pScanTime.begin(), doc.m_pScanTime.end(), 900.0f);
    CSendTargetsDlg dialog(doc, state.job, state.services.ui);

    QElapsedTimer timer;
    const double cpuBefore = CpuMs(RUSAGE_SELF);
    timer.start();
    dialog.OnSend();
    const double sendMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const double cpuVespira = CpuMs(RUSAGE_SELF) - cpuBefore;
    const bool sent = dialog.IsCollecting();
    dialog.OnCollect();
    sim.waitForFinished(5000);

    QFile out(dir.filePath(QStringLiteral("targets.txt")));
    out.open(QIODevice::ReadOnly);
    const QByteArray printed = out.readAll();
    const int lines = static_cast<int>(printed.count('\n'));
    const int messages = kSide * kSide + 1;
    std::printf("Send of %d targets to orma-sim targets: %.0f ms (%.1f us a message), "
                "target at most 2000 ms\n",
                kSide * kSide, sendMs, sendMs * 1000.0 / messages);
    // On a busy machine the wall time is mostly waiting for a turn on a core; the CPU
    // time tells what the exchanges themselves cost.
    std::printf("CPU time: %.0f ms in the dialog's process, %.0f ms in orma-sim\n", cpuVespira,
                CpuMs(RUSAGE_CHILDREN));
    std::printf("orma-sim printed %d lines (%d expected)\n", lines, kSide * kSide + 3);
    return sent && dialog.result() == QDialog::Accepted && lines == kSide * kSide + 3 ? 0 : 1;
}
