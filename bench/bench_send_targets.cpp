// The whole Send of the Send-targets dialog for 10,000 targets to `orma-sim targets`,
// which prints them: one socket per message, so this is 10,001 exchanges. Prints the
// time of the Send and of one message; the target is at most 2 s for the Send.
#include "CProgramState.h"
#include "CSendTargetsDlg.h"
#include "CVespiraDoc.h"
#include "IHostUi.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kSide = 100; // 100 x 100 points, every one a target

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
    CProgramState state(ui);
    CVespiraDoc doc(state);
    doc.SetUpGrid({kSide, kSide, 0.0f, kSide - 1.0f, 1.0f, 0.0f, kSide - 1.0f, 1.0f});
    std::fill(doc.m_pScanTime.begin(), doc.m_pScanTime.end(), 900.0f);
    CSendTargetsDlg dialog(doc, state);

    QElapsedTimer timer;
    timer.start();
    dialog.OnSend();
    const double sendMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
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
    std::printf("orma-sim printed %d lines (%d expected)\n", lines, kSide * kSide + 3);
    return sent && dialog.result() == QDialog::Accepted && lines == kSide * kSide + 3 ? 0 : 1;
}
