// Undo and Redo of a 601 x 601 rectangle of targets on a 1001 x 1001 pattern, and the
// memory of 100 steps of 10,000 changed points each. Prints its figures.
#include "document/CTargetHistory.h"
#include "document/CVespiraDoc.h"
#include "tests/common/TestProgram.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A rectangle as the Rectangle tool draws it: one step, point by point in grid order.
void Rectangle(CVespiraDoc& doc, int col0, int row0, int cols, int rows, float time)
{
    doc.BeginTargetStep(QStringLiteral("Rectangle"));
    for (int row = row0; row < row0 + rows; ++row)
        for (int col = col0; col < col0 + cols; ++col)
            doc.SetScanTime(col, row, time);
    doc.EndTargetStep();
}

// Memory of 100 steps of 100 x 100 points, after the grid was prepared by `prepare`.
template <typename Prepare, typename Step>
void StepMemory(const char* what, CTestProgram& state, Prepare prepare, Step step)
{
    CVespiraDoc doc(state);
    if (!doc.OnNewDocument())
        return;
    prepare(doc);
    for (int n = 0; n < 100; ++n)
        step(doc, n);
    const double points = 100.0 * 100 * 100;
    const double bytes = static_cast<double>(doc.History().MemoryBytes());
    std::printf("%s: %zu steps, %.0f changed points, %.0f bytes in all (%.2f MB), %.3f bytes "
                "per point (target <= 12, total < 12 MB)\n",
                what, doc.History().StepCount(), points, bytes, bytes / 1e6, bytes / points);
}

} // namespace

int main()
{
    CStderrUi ui;
    CTestProgram state(ui);
    state.liveScan.SetPendingGrid(ScanGrid{1001, 1001, 0.0f, 100.0f, 0.1f, 0.0f, 100.0f, 0.1f});

    {
        CVespiraDoc doc(state);
        if (!doc.OnNewDocument()) {
            std::printf("no 1001 x 1001 pattern could be made\n");
            return 1;
        }
        const auto drawn = Clock::now();
        Rectangle(doc, 200, 200, 601, 601, 900.0f);
        const double drawMs = Ms(Clock::now() - drawn);
        std::vector<double> undo;
        std::vector<double> redo;
        for (int round = 0; round < 15; ++round) {
            auto t = Clock::now();
            doc.Undo();
            undo.push_back(Ms(Clock::now() - t));
            if (doc.ScanCount() != 0)
                return 1;
            t = Clock::now();
            doc.Redo();
            redo.push_back(Ms(Clock::now() - t));
            if (doc.ScanCount() != 601 * 601)
                return 1;
        }
        std::printf("1001 x 1001 pattern, rectangle of %d targets as one step: drawn and "
                    "recorded in %.1f ms\n",
                    doc.ScanCount(), drawMs);
        std::printf("Undo: median %.2f ms, worst %.2f ms (target <= 50 ms)\n", Median(undo),
                    *std::max_element(undo.begin(), undo.end()));
        std::printf("Redo: median %.2f ms, worst %.2f ms (target <= 50 ms)\n", Median(redo),
                    *std::max_element(redo.begin(), redo.end()));
        std::printf("that step holds %zu bytes\n", doc.History().MemoryBytes());
    }

    StepMemory(
        "100 rectangles of 10,000 new targets", state, [](CVespiraDoc&) {},
        [](CVespiraDoc& doc, int n) {
            Rectangle(doc, (n % 10) * 100, (n / 10) * 100, 100, 100, 900.0f);
        });

    // The dearest kind: every point's time before and after differs from its neighbours'.
    std::mt19937 random(1);
    std::uniform_int_distribution<int> tenths(9, 99999);
    StepMemory(
        "100 imports retiming 10,000 targets of differing times", state,
        [&](CVespiraDoc& doc) {
            for (int i = 0; i < doc.PointCount(); ++i)
                doc.m_pScanTime[static_cast<std::size_t>(i)] = tenths(random) / 10.0f;
            doc.RecountSelection();
        },
        [&](CVespiraDoc& doc, int n) {
            std::vector<PointTime> list;
            for (int i = 0; i < 10'000; ++i)
                list.push_back({n * 10'000 + i, tenths(random) / 10.0f});
            doc.SetScanTimes(list, QStringLiteral("Import"));
        });
    return 0;
}
