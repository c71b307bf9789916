// Drawing speed of the pattern view on a 1000 x 1000 pattern in an 800 x 800 view:
// full repaint, one collected cell with its partial repaint, and the recolouring after
// a brightness change. Prints the median of each in milliseconds.
#include "CProgramState.h"
#include "CVespiraDoc.h"
#include "CVespiraView.h"
#include "ColourSettings.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

double MedianMs(int runs, const std::function<void(int)>& step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        step(i);
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariable("QT_QPA_PLATFORM", "offscreen").toUtf8());
    QApplication app(argc, argv);
    CStderrUi ui;
    CProgramState state(ui);
    CVespiraDoc doc(state);
    constexpr int kSide = 1000;
    if (!doc.SetUpGrid(ScanGrid{kSide, kSide, 0.0f, 99.9f, 0.1f, 0.0f, 99.9f, 0.1f}))
        return 1;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> counts(0, 50000);
    for (auto& v : doc.m_pIntensity)
        v = counts(random);
    doc.m_nMaxIntensity = 50000;
    for (int i = 0; i < kSide * kSide; i += 997)
        doc.SetScanTime(i % kSide, i / kSide, 900.0f);
    state.activeDocument = &doc;

    CVespiraView view(doc, state);
    view.resize(800, 800);
    view.show();
    QApplication::processEvents();

    const double full = MedianMs(30, [&](int) { view.repaint(); });

    // As SetPointIntensity does it: store, draw the cell, let the repaint run.
    const double cell = MedianMs(2000, [&](int i) {
        const int col = (i * 37) % 700;
        const int row = (i * 53) % 700;
        doc.m_pIntensity[static_cast<std::size_t>(doc.IndexOf(col, row))] = i % 50000;
        view.DrawCell(col, row);
        QApplication::processEvents();
    });

    const double recolour = MedianMs(30, [&](int i) {
        SetDocumentBrightnessContrast(doc, state, 100 + i % 50, 127);
        view.repaint();
    });

    std::printf("view 800x800, pattern %dx%d\n", kSide, kSide);
    std::printf("full repaint              %8.3f ms (target < 10)\n", full);
    std::printf("single cell with repaint  %8.3f ms (target < 0.2)\n", cell);
    std::printf("recolour after brightness %8.3f ms (target < 20)\n", recolour);
    return 0;
}
