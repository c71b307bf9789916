// Opening the 3D plot of a 1000 x 1000 pattern through its command: time from the command
// to the first frame drawn, the peak memory that adds, the time of a frame after turning
// the chart, and the memory in use before, while and after the window is open.
// Needs OpenGL: run under xvfb-run with QT_QPA_PLATFORM=xcb.
#include "document/CVespiraDoc.h"
#include "plot3d/C3DPlotDlg.h"
#include "plot3d/CChart3D.h"
#include "plot3d/Plot3DCommand.h"
#include "tests/common/CFakeHostUi.h"
#include "tests/common/TestProgram.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

namespace {

// A "VmRSS" or "VmHWM" figure of this process, in MB.
double MemoryMb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0.0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(static_cast<int>(qstrlen(field)) + 1)
                       .trimmed()
                       .split(' ')[0]
                       .toDouble() /
                   1024.0;
    return 0.0;
}

// CPU time of all the process's threads (the software OpenGL renderer's included), in ms:
// unlike the wall clock, it does not grow when other programs share the processors.
double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

bool WaitForFrames(const CChart3D& chart, int frames)
{
    return QTest::qWaitFor([&] { return chart.FramesDrawn() >= frames; }, 30000);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    bool software = false;
    if (!CChart3D::OpenGLAvailable(&software)) {
        std::printf("bench_plot3d: no OpenGL on this display (run under xvfb-run)\n");
        return 0;
    }
    CFakeHostUi ui;
    CTestProgram state(ui);
    CVespiraDoc doc(state);
    constexpr int kSide = 1000;
    if (!doc.SetUpGrid(ScanGrid{kSide, kSide, 0.0f, 99.9f, 0.1f, 0.0f, 99.9f, 0.1f}))
        return 1;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(0, 500);
    for (int r = 0; r < kSide; ++r)
        for (int c = 0; c < kSide; ++c) {
            const double dx = (c - 500) / 150.0;
            const double dy = (r - 450) / 200.0;
            doc.m_pIntensity[static_cast<std::size_t>(doc.IndexOf(c, r))] =
                static_cast<int>(40000.0 / (1.0 + dx * dx + dy * dy)) + noise(random);
        }
    QApplication::processEvents();
    const double rssBefore = MemoryMb("VmRSS:");

    QElapsedTimer timer;
    double openMs = -1.0;
    double openCpuMs = 0.0;
    double peakMb = 0.0;
    double rssOpen = 0.0;
    std::vector<double> turns;
    const double cpuBefore = CpuMs();
    timer.start();
    // The command's modal run, played by the window shown until its figures are taken.
    ui.dialogHandler = [&](QDialog& dialog) {
        auto* chart = dialog.findChild<CChart3D*>();
        if (chart == nullptr)
            return 0;
        dialog.show();
        if (!WaitForFrames(*chart, 1))
            return 0;
        openMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        openCpuMs = CpuMs() - cpuBefore;
        peakMb = MemoryMb("VmHWM:") - rssBefore;
        rssOpen = MemoryMb("VmRSS:");
        for (int i = 0; i < 15; ++i) {
            const int frames = chart->FramesDrawn();
            timer.restart();
            chart->SetViewValue(IChart3D::ViewValue::ZRotation, -40.0 + 6.0 * (i + 1));
            if (!WaitForFrames(*chart, frames + 1))
                break;
            turns.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }
        dialog.reject();
        return 0;
    };
    Open3DPlot(doc, state.plot3d, ui, nullptr);
    QApplication::processEvents();
    const double rssAfter = MemoryMb("VmRSS:");
    if (openMs < 0.0) {
        std::printf("bench_plot3d: no frame drawn\n");
        return 1;
    }
    std::sort(turns.begin(), turns.end());
    // A second plot: what stays after the first is the OpenGL driver, loaded once, not a
    // leak that grows with each plot.
    ui.dialogHandler = [](QDialog& dialog) {
        auto* chart = dialog.findChild<CChart3D*>();
        dialog.show();
        if (chart != nullptr)
            (void)WaitForFrames(*chart, 1);
        return 0;
    };
    Open3DPlot(doc, state.plot3d, ui, nullptr);
    QApplication::processEvents();
    const double rssAgain = MemoryMb("VmRSS:");

    std::printf("3D plot of a %dx%d pattern (drawn at %dx%d)\n", kSide, kSide,
                CChart3D::kMaxSurfaceSide, CChart3D::kMaxSurfaceSide);
    std::printf("command to first frame    %8.1f ms (target <= 2000)\n", openMs);
    std::printf("  of it processor time    %8.1f ms (all threads)\n", openCpuMs);
    std::printf("peak memory added         %8.1f MB (target <= 300)\n", peakMb);
    if (!turns.empty())
        std::printf("frame after a turn        %8.1f ms (median of %zu)\n", turns[turns.size() / 2],
                    turns.size());
    std::printf("memory in use before      %8.1f MB\n", rssBefore);
    std::printf("  while the window is open %7.1f MB\n", rssOpen);
    std::printf("  after it is closed      %8.1f MB (%+.1f MB, target <= +40)\n", rssAfter,
                rssAfter - rssBefore);
    std::printf("  after a second plot     %8.1f MB (%+.1f MB, target <= +5)\n", rssAgain,
                rssAgain - rssAfter);
    return 0;
}
