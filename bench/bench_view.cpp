// Drawing speed of the pattern view on a 1000 x 1000 pattern in an 800 x 800 view:
// full repaint, one collected cell with its partial repaint, the recolouring after a
// brightness change, and the selection gestures driven by pointer events (a Curve or
// Eraser step, a Line or Rectangle move). Prints the median of each in milliseconds.
#include "display/ColourSettings.h"
#include "document/CVespiraDoc.h"
#include "tests/common/TestProgram.h"
#include "view/CVespiraView.h"

#include <QApplication>
#include <QMouseEvent>

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

void SendMouse(CVespiraView& view, QEvent::Type type, QPoint p, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(p), QPointF(view.mapToGlobal(p)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&view, &event);
}

// One pointer move of a left-button gesture, with the repaint it asked for.
double GestureStepMs(CVespiraView& view, CTestProgram& state, CursorTool tool, int runs)
{
    state.tools.tool = tool;
    const QRect image = view.ScreenLayout().image.intersected(view.rect());
    const QPoint start = image.topLeft() + QPoint(5, 5);
    SendMouse(view, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    QApplication::processEvents();
    const double ms = MedianMs(runs, [&](int i) {
        // A new point on every step: a diagonal sweep across the image.
        const QPoint p(image.left() + 10 + (i * 7) % (image.width() - 20),
                       image.top() + 10 + (i * 13) % (image.height() - 20));
        SendMouse(view, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
        QApplication::processEvents();
    });
    SendMouse(view, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
    QApplication::processEvents();
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariable("QT_QPA_PLATFORM", "offscreen").toUtf8());
    QApplication app(argc, argv);
    CStderrUi ui;
    CTestProgram state(ui);
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
    state.liveScan.SetActive(&doc);

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
        SetDocumentBrightnessContrast(doc, state.colours.display, 100 + i % 50, 127);
        view.repaint();
    });

    const double curve = GestureStepMs(view, state, CursorTool::Curve, 2000);
    const double eraser = GestureStepMs(view, state, CursorTool::Eraser, 2000);
    const double line = GestureStepMs(view, state, CursorTool::Line, 30);
    const double rectangle = GestureStepMs(view, state, CursorTool::Rectangle, 30);

    std::printf("view 800x800, pattern %dx%d\n", kSide, kSide);
    std::printf("full repaint              %8.3f ms (target < 10)\n", full);
    std::printf("single cell with repaint  %8.3f ms (target < 0.2)\n", cell);
    std::printf("recolour after brightness %8.3f ms (target < 20)\n", recolour);
    std::printf("Curve step                %8.3f ms (target < 0.1)\n", curve);
    std::printf("Eraser step               %8.3f ms (target < 0.1)\n", eraser);
    std::printf("Line move                 %8.3f ms (target < 5)\n", line);
    std::printf("Rectangle move            %8.3f ms (target < 5)\n", rectangle);
    return 0;
}
