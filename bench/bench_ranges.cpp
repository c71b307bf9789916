// The colour range of live scans on a 1000 x 1000 pattern: the percentiles of a million
// measured points, recolouring the whole image after a range change, and the NEWPOINT
// throughput of a live scan through the real handler and view in Percentile mode beside
// Rising maximum. Prints the best of several runs in milliseconds.
#include "display/ColourSettings.h"
#include "document/CVespiraDoc.h"
#include "document/IntensityRange.h"
#include "document/PatternRange.h"
#include "link/CRemoteCommandHandler.h"
#include "link/IRemoteHost.h"
#include "link/PipeMessage.h"
#include "render/CCellImage.h"
#include "tests/common/TestProgram.h"
#include "tests/link/LinkFakes.h"
#include "view/CVespiraView.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kSide = 1000;

template <typename F>
double BestMs(int rounds, F&& f)
{
    double best = 1e30;
    for (int i = 0; i < rounds; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f(i);
        best = std::min(
            best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                      .count());
    }
    return best;
}

// Counts as a scan gives them: a smooth field with noise, and one hot pixel.
std::int32_t CountAt(int col, int row)
{
    if (col == 500 && row == 500)
        return 2000000000;
    return 1000 + (col * 7 + row * 13) % 20000 + (col * row) % 97;
}

// The program's New command: a pattern with a real view, made the live scan's.
struct ViewHost : IRemoteHost
{
    explicit ViewHost(CTestProgram& state) : state(state) {}
    CVespiraDoc* NewDocument() override
    {
        view.reset();
        doc = std::make_unique<CVespiraDoc>(state);
        if (!doc->OnNewDocument())
            return nullptr;
        view = std::make_unique<CVespiraView>(*doc, state);
        view->resize(800, 800);
        view->show();
        state.liveScan.SetView(view.get());
        QApplication::processEvents();
        return doc.get();
    }
    CTestProgram& state;
    std::unique_ptr<CVespiraDoc> doc;
    std::unique_ptr<CVespiraView> view;
};

// A whole live scan in one range mode: points per second, the event loop run as the
// listener's deliveries let it run, every 100 points.
double ScanPointsPerSecond(CTestProgram& state, RangeMode mode)
{
    state.colours.display.range = RangeSettings{};
    state.colours.display.range.mode = mode;
    ViewHost host(state);
    CRemoteCommandHandler handler(state.services, state.view, host);
    handler.HandleRequest(
        Request(kNewImage, 0.0f, kSide - 1.0f, 1.0f, 0.0f, kSide - 1.0f, 1.0f, 0));
    const auto t0 = std::chrono::steady_clock::now();
    for (int row = 0; row < kSide; ++row) {
        for (int col = 0; col < kSide; ++col) {
            handler.HandleRequest(Request(kNewPoint, static_cast<float>(col),
                                          static_cast<float>(kSide - 1 - row), 0, 0, 0, 0,
                                          CountAt(col, row)));
            if (col % 100 == 99)
                QApplication::processEvents();
        }
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return kSide * static_cast<double>(kSide) / s;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariable("QT_QPA_PLATFORM", "offscreen").toUtf8());
    QApplication app(argc, argv);
    CStderrUi ui;
    CTestProgram state(ui);

    // Percentiles: narrow counts (one value per histogram bin) and the whole 32-bit range.
    std::mt19937 random(7);
    std::vector<std::int32_t> narrow(kSide * kSide);
    std::vector<std::int32_t> wide(kSide * kSide);
    std::uniform_int_distribution<std::int32_t> counts(0, 50000);
    std::uniform_int_distribution<std::int32_t> any(INT32_MIN, INT32_MAX);
    for (std::size_t i = 0; i < narrow.size(); ++i) {
        narrow[i] = counts(random);
        wide[i] = any(random);
    }
    MeasuredSummary sink;
    const double pctNarrow = BestMs(10, [&](int) { sink = SummariseMeasured(narrow, {}, 1.0); });
    const double pctWide = BestMs(10, [&](int) { sink = SummariseMeasured(wide, {}, 1.0); });

    // Recolouring: the whole image composed after the range moved.
    CVespiraDoc doc(state);
    if (!doc.SetUpGrid(ScanGrid{kSide, kSide, 0.0f, 999.0f, 1.0f, 0.0f, 999.0f, 1.0f}))
        return 1;
    for (int row = 0; row < kSide; ++row)
        for (int col = 0; col < kSide; ++col)
            doc.m_pIntensity[static_cast<std::size_t>(doc.IndexOf(col, row))] = CountAt(col, row);
    doc.m_nMaxIntensity = 2000000000;
    CCellImage cells;
    auto recolour = [&](IntensityScale scale) {
        doc.m_range.settings.mode = RangeMode::Fixed;
        doc.m_range.settings.scale = scale;
        return BestMs(20, [&](int i) {
            doc.m_range.settings.fixedMin = 1000 + i;
            doc.m_range.settings.fixedMax = 21000 - i;
            cells.Compose(doc, state.Render());
        });
    };
    const double recolourLinear = recolour(IntensityScale::Linear);
    const double recolourLog = recolour(IntensityScale::Logarithmic);
    doc.m_range.settings = RangeSettings{};
    doc.m_range.settings.mode = RangeMode::Automatic;
    doc.m_range.settings.scale = IntensityScale::Logarithmic;
    RefreshRange(doc);
    const double recolourWide = BestMs(20, [&](int) { cells.Compose(doc, state.Render()); });

    // Alternating, so a busy moment of the machine does not fall on one mode only.
    double bestRising = 0.0;
    double bestPercentile = 0.0;
    for (int round = 0; round < 3; ++round) {
        bestRising = std::max(bestRising, ScanPointsPerSecond(state, RangeMode::RisingMaximum));
        bestPercentile =
            std::max(bestPercentile, ScanPointsPerSecond(state, RangeMode::Percentile));
    }

    std::printf("colour ranges, pattern %dx%d\n", kSide, kSide);
    std::printf("percentiles of 1e6 counts 0..50000   %8.3f ms (target <= 10)\n", pctNarrow);
    std::printf("percentiles of 1e6 any 32-bit values %8.3f ms (target <= 10)\n", pctWide);
    std::printf("recolour 1000x1000, fixed linear     %8.3f ms (target <= 6)\n", recolourLinear);
    std::printf("recolour 1000x1000, fixed log        %8.3f ms (target <= 6)\n", recolourLog);
    std::printf("recolour 1000x1000, log to 2e9       %8.3f ms (target <= 6)\n", recolourWide);
    std::printf("NEWPOINT, Rising maximum   %10.0f points/s\n", bestRising);
    std::printf("NEWPOINT, Percentile 1 %%   %10.0f points/s, %.3f of Rising (target >= 0.9)\n",
                bestPercentile, bestPercentile / bestRising);
    return sink.count > 0 ? 0 : 1;
}
