// The real surface chart; needs OpenGL, so it runs under a virtual X display (xvfb-run).
#include "display/ColourTransform.h"
#include "document/CVespiraDoc.h"
#include "plot3d/C3DPlotDlg.h"
#include "plot3d/CChart3D.h"
#include "plot3d/Plot3DCommand.h"
#include "tests/common/CFakeHostUi.h"
#include "tests/common/TestProgram.h"

#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QSurfaceDataProxy>
#include <QtDataVisualization/QValue3DAxis>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using View = IChart3D::ViewValue;

class Chart3DTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!CChart3D::OpenGLAvailable())
            GTEST_SKIP() << "no OpenGL on the '" << QGuiApplication::platformName().toStdString()
                         << "' platform: run under xvfb-run";
    }

    // The chart of a pattern, shown and drawn at least once.
    void Open(const ScanGrid& grid)
    {
        ASSERT_TRUE(doc.SetUpGrid(grid));
        for (std::size_t j = 0; j < doc.m_pIntensity.size(); ++j)
            doc.m_pIntensity[j] = static_cast<int>(j % 7) * 100;
        Show();
    }

    // The chart of the pattern as it is now, shown and drawn at least once.
    void Show()
    {
        for (int i = 0; i < 256; ++i)
            doc.m_DisplayColors[static_cast<std::size_t>(i)] = Rgb(i, 255 - i, 128);
        chart = new CChart3D(ui);
        dialog = std::make_unique<C3DPlotDlg>(doc, state.plot3d, *chart);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        ASSERT_TRUE(QTest::qWaitFor([this] { return chart->FramesDrawn() > 0; }, 10000));
    }

    CFakeHostUi ui;
    CTestProgram state{ui};
    CVespiraDoc doc{state};
    CChart3D* chart = nullptr;
    std::unique_ptr<C3DPlotDlg> dialog;
};

TEST_F(Chart3DTest, SurfaceHasThePatternsSizeAndPositions)
{
    Open(ScanGrid{7, 5, -3.0f, 3.0f, 1.0f, 10.0f, 12.0f, 0.5f});
    const QSurfaceDataProxy* proxy = chart->Series()->dataProxy();
    ASSERT_EQ(proxy->rowCount(), 5);
    ASSERT_EQ(proxy->columnCount(), 7);
    // Row 0 of the surface is the pattern's bottom row (Y beginning): array row 4.
    EXPECT_EQ(proxy->itemAt(0, 0)->x(), -3.0f);
    EXPECT_EQ(proxy->itemAt(0, 0)->z(), 10.0f);
    EXPECT_EQ(proxy->itemAt(4, 6)->x(), 3.0f);
    EXPECT_EQ(proxy->itemAt(4, 6)->z(), 12.0f);
    EXPECT_EQ(proxy->itemAt(0, 2)->y(), static_cast<float>(doc.m_pIntensity[4 * 7 + 2]));
    EXPECT_EQ(proxy->itemAt(4, 2)->y(), static_cast<float>(doc.m_pIntensity[2]));
    EXPECT_EQ(chart->Surface()->axisX()->title(), QStringLiteral("X-axis  d = 1 [mm]"));
    EXPECT_EQ(chart->Surface()->axisZ()->title(), QStringLiteral("Y-axis  d = 0.5 [mm]"));
    EXPECT_TRUE(chart->Surface()->axisY()->title().isEmpty());
}

TEST_F(Chart3DTest, SingleRowIsDrawnAsAStripWithoutNaN)
{
    ScanGrid grid{4, 1, 0.0f, 3.0f, 1.0f, 5.0f, 5.0f, 0.5f};
    Open(grid);
    const QSurfaceDataProxy* proxy = chart->Series()->dataProxy();
    ASSERT_EQ(proxy->rowCount(), 2);
    ASSERT_EQ(proxy->columnCount(), 4);
    EXPECT_EQ(proxy->itemAt(0, 0)->z(), 4.75f);
    EXPECT_EQ(proxy->itemAt(1, 0)->z(), 5.25f);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c) {
            const QVector3D p = proxy->itemAt(r, c)->position();
            EXPECT_TRUE(std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z()));
        }
}

TEST_F(Chart3DTest, ViewValuesReadBackWhatWasWritten)
{
    Open(ScanGrid{3, 3, 0.0f, 2.0f, 1.0f, 0.0f, 2.0f, 1.0f});
    chart->SetViewValue(View::Perspective, 150.0);
    chart->SetViewValue(View::XRotation, 33.3);
    chart->SetViewValue(View::YRotation, 7.0);
    chart->SetViewValue(View::ZRotation, -71.7);
    QApplication::processEvents();
    EXPECT_EQ(chart->GetViewValue(View::Perspective), 150.0);
    EXPECT_EQ(chart->GetViewValue(View::XRotation), 33.3);
    EXPECT_EQ(chart->GetViewValue(View::YRotation), 7.0);
    EXPECT_EQ(chart->GetViewValue(View::ZRotation), -71.7);

    // Dragging with the left button turns the view, and the values follow.
    QWidget* surface = chart->findChild<QWidget*>(QStringLiteral("surface"));
    ASSERT_NE(surface, nullptr);
    QWindow* window = chart->Surface();
    const QPoint from(surface->width() / 2, surface->height() / 2);
    QTest::mousePress(window, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 10; ++step)
        QTest::mouseMove(window, from + QPoint(8 * step, 3 * step));
    QTest::mouseRelease(window, Qt::LeftButton, {}, from + QPoint(80, 30));
    QApplication::processEvents();
    EXPECT_NE(chart->GetViewValue(View::ZRotation), -71.7);

    // A new chart given the values read back shows the same view.
    const double turn = chart->GetViewValue(View::ZRotation);
    const double tilt = chart->GetViewValue(View::XRotation);
    CChart3D again(ui);
    EXPECT_TRUE(again.HasContext());
    again.SetViewValue(View::ZRotation, turn);
    again.SetViewValue(View::XRotation, tilt);
    EXPECT_EQ(again.GetViewValue(View::ZRotation), turn);
    EXPECT_EQ(again.GetViewValue(View::XRotation), tilt);

    // No distance of 0: a stored 0 keeps the chart's own.
    const double distance = again.GetViewValue(View::Perspective);
    again.SetViewValue(View::Perspective, 0.0);
    EXPECT_EQ(again.GetViewValue(View::Perspective), distance);
}

TEST_F(Chart3DTest, PointsWithoutDataLieAtTheLowestValue)
{
    Open(ScanGrid{3, 2, 0.0f, 2.0f, 1.0f, 0.0f, 1.0f, 1.0f});
    chart->SetBatching(true);
    chart->SetValue(1, 1, -1.0); // the hole value
    chart->SetValue(2, 1, 40.0);
    chart->SetValue(3, 1, 70.0);
    chart->SetValue(1, 2, 55.0);
    chart->SetValue(2, 2, 60.0);
    chart->SetValue(3, 2, 65.0);
    chart->SetValue(4, 2, 1e9); // outside the grid: ignored
    chart->SetBatching(false);
    const QSurfaceDataProxy* proxy = chart->Series()->dataProxy();
    EXPECT_EQ(proxy->itemAt(0, 0)->y(), 40.0f);
    EXPECT_EQ(proxy->itemAt(1, 2)->y(), 65.0f);
    EXPECT_EQ(chart->Surface()->axisY()->max(), 70.0f);
}

// Number of bands of one colour in a gradient.
int Bands(const QGradientStops& stops)
{
    int bands = 0;
    for (int i = 0; i < stops.size(); ++i)
        if (i == 0 || stops[i].second != stops[i - 1].second)
            ++bands;
    return bands;
}

TEST_F(Chart3DTest, GradientHasOneBandPerContourLevel)
{
    Open(ScanGrid{3, 3, 0.0f, 2.0f, 1.0f, 0.0f, 2.0f, 1.0f});
    EXPECT_EQ(Bands(chart->Series()->baseGradient().stops()), IChart3D::kDefaultContourLevels);
    for (int levels : {1, 5, 20, 100}) {
        chart->SetContourLevels(levels);
        EXPECT_EQ(Bands(chart->Series()->baseGradient().stops()), levels) << levels;
    }
    // The first level takes fill style 0, the last fill style 100.
    const QGradientStops stops = chart->Series()->baseGradient().stops();
    EXPECT_EQ(stops.front().second, QColor(0, 255, 128));
    EXPECT_EQ(stops.back().second, QColor(255, 0, 128));

    // The chart's menu offers the level counts, the current one checked.
    QMenu menu;
    chart->FillLevelsMenu(menu);
    ASSERT_EQ(menu.actions().size(), 5);
    EXPECT_TRUE(menu.actions().last()->isChecked());
    menu.actions().first()->trigger();
    EXPECT_EQ(chart->GetContourLevels(), 5);
    EXPECT_EQ(Bands(chart->Series()->baseGradient().stops()), 5);
}

TEST_F(Chart3DTest, LargePatternIsThinnedForDrawingOnly)
{
    Open(ScanGrid{600, 300, 0.0f, 59.9f, 0.1f, 0.0f, 29.9f, 0.1f});
    const QSurfaceDataProxy* proxy = chart->Series()->dataProxy();
    EXPECT_EQ(proxy->columnCount(), CChart3D::kMaxSurfaceSide);
    EXPECT_EQ(proxy->rowCount(), CChart3D::kMaxSurfaceSide);
    EXPECT_FLOAT_EQ(proxy->itemAt(0, CChart3D::kMaxSurfaceSide - 1)->x(), 59.9f);
    EXPECT_FLOAT_EQ(proxy->itemAt(CChart3D::kMaxSurfaceSide - 1, 0)->z(), 29.9f);
    EXPECT_EQ(chart->Surface()->axisY()->max(), 600.0f);
}

// The colour the surface has at an intensity: the gradient's stop at or below the place
// of that value on the intensity axis.
QColor SurfaceColourAt(const CChart3D& chart, double value)
{
    const QValue3DAxis* axis = chart.Surface()->axisY();
    const double at = (value - axis->min()) / (static_cast<double>(axis->max()) - axis->min());
    QColor colour;
    for (const QGradientStop& stop : chart.Series()->baseGradient().stops())
        if (stop.first <= at + 1e-9)
            colour = stop.second;
    return colour;
}

QColor FillColour(const CVespiraDoc& doc, int entry)
{
    return ToQColor(doc.m_DisplayColors[static_cast<std::size_t>(entry)]);
}

void ExpectDistinctWholeLabels(const QStringList& labels)
{
    EXPECT_EQ(QSet<QString>(labels.begin(), labels.end()).size(), labels.size())
        << labels.join(' ').toStdString();
    for (const QString& label : labels)
        EXPECT_FALSE(label.startsWith('-') &&
                     label.count('0') + label.count('.') + 1 == label.size())
            << label.toStdString();
}

// The dialog's Escape and Enter, after the chart took the focus with a drag or the wheel.
TEST_F(Chart3DTest, DialogKeysWorkAfterTheChartTookTheFocus)
{
    Open(ScanGrid{5, 5, 0.0f, 4.0f, 1.0f, 0.0f, 4.0f, 1.0f});
    QWindow* window = chart->Surface();
    const QPoint from(window->width() / 2, window->height() / 2);
    QTest::mousePress(window, Qt::LeftButton, {}, from);
    QTest::mouseMove(window, from + QPoint(40, 10));
    QTest::mouseRelease(window, Qt::LeftButton, {}, from + QPoint(40, 10));
    // Keys go where the focus is: the chart's own window.
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(state.plot3d.present);

    Show();
    window = chart->Surface();
    QWheelEvent wheel(QPointF(from), window->mapToGlobal(QPointF(from)), {}, QPoint(0, 120),
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QGuiApplication::sendEvent(window, &wheel);
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(state.plot3d.present);
}

// No "500 500 500 501 501 501": flat and nearly flat patterns get labels that differ.
TEST_F(Chart3DTest, LabelsAreDistinctOnFlatData)
{
    ASSERT_TRUE(doc.SetUpGrid(ScanGrid{3, 3, 0.0f, 2.0f, 1.0f, -0.4f, 0.4f, 0.4f}));
    for (std::size_t j = 0; j < doc.m_pIntensity.size(); ++j)
        doc.m_pIntensity[j] = 500 + static_cast<int>(j % 2);
    doc.m_nMaxIntensity = 501;
    Show();
    const QStringList heights = chart->Surface()->axisY()->labels();
    ExpectDistinctWholeLabels(heights);
    EXPECT_TRUE(heights.contains(QStringLiteral("501")));
    EXPECT_EQ(chart->Surface()->axisX()->labels(), (QStringList{"0", "1", "2"}));
    const QStringList ys = chart->Surface()->axisZ()->labels();
    ExpectDistinctWholeLabels(ys);
    EXPECT_EQ(ys.front(), QStringLiteral("-0.4"));
    EXPECT_EQ(ys.back(), QStringLiteral("0.4"));
}

// A constant pattern: the 2D view gives it the top colour and so does the surface, which
// stands at its labelled value.
TEST_F(Chart3DTest, FlatPatternTakesTheTopColourAndShowsItsValue)
{
    ASSERT_TRUE(doc.SetUpGrid(ScanGrid{4, 4, 0.0f, 3.0f, 1.0f, 0.0f, 3.0f, 1.0f}));
    std::fill(doc.m_pIntensity.begin(), doc.m_pIntensity.end(), 437);
    doc.m_nMaxIntensity = 437;
    Show();
    EXPECT_EQ(SurfaceColourAt(*chart, 437.0), FillColour(doc, 255));
    EXPECT_TRUE(chart->Surface()->axisY()->labels().contains(QStringLiteral("437")));
    EXPECT_EQ(chart->Surface()->axisY()->max(), 437.0f);
    EXPECT_EQ(chart->Series()->dataProxy()->itemAt(1, 1)->y(), 437.0f);
}

// The colours follow the 2D view's range (0 to the colour scale maximum), not the data's
// own lowest and highest value.
TEST_F(Chart3DTest, ColoursFollowTheColourRangeNotTheData)
{
    ASSERT_TRUE(doc.SetUpGrid(ScanGrid{4, 4, 0.0f, 3.0f, 1.0f, 0.0f, 3.0f, 1.0f}));
    for (std::size_t j = 0; j < doc.m_pIntensity.size(); ++j)
        doc.m_pIntensity[j] = 300 + 20 * static_cast<int>(j);
    doc.m_nMaxIntensity = 1200;
    Show();
    EXPECT_EQ(chart->Surface()->axisY()->min(), 0.0f);
    EXPECT_EQ(chart->Surface()->axisY()->max(), 1200.0f);
    // Ten levels: 600 begins the sixth (fill style 56, entry 142), 300 is in the third
    // (style 22, entry 56); the highest level only from 1080 up.
    EXPECT_EQ(SurfaceColourAt(*chart, 600.5), FillColour(doc, 56 * 255 / 100));
    EXPECT_EQ(SurfaceColourAt(*chart, 300.0), FillColour(doc, 22 * 255 / 100));
    EXPECT_EQ(SurfaceColourAt(*chart, 1100.0), FillColour(doc, 255));
    EXPECT_EQ(SurfaceColourAt(*chart, 0.0), FillColour(doc, 0));
}

// One row (or column) of many points is a band the eye can follow, not a hair.
TEST_F(Chart3DTest, SingleRowOrColumnIsAReadableBand)
{
    ASSERT_TRUE(doc.SetUpGrid(ScanGrid{200, 1, 0.0f, 19.9f, 0.1f, 5.0f, 5.0f, 0.1f}));
    Show();
    const float rowRatio = chart->Surface()->horizontalAspectRatio();
    EXPECT_GT(rowRatio, 0.0f);
    EXPECT_LE(rowRatio, CChart3D::kMaxSideRatio);
    EXPECT_EQ(chart->Surface()->axisZ()->labels(), QStringList{"5.0"});

    ASSERT_TRUE(doc.SetUpGrid(ScanGrid{1, 300, 2.0f, 2.0f, 0.5f, 0.0f, 149.5f, 0.5f}));
    Show();
    const float columnRatio = chart->Surface()->horizontalAspectRatio();
    EXPECT_GE(columnRatio, 1.0f / CChart3D::kMaxSideRatio);
    EXPECT_LT(columnRatio, 1.0f);
    // A square pattern keeps its true proportions.
    ASSERT_TRUE(doc.SetUpGrid(ScanGrid{10, 10, 0.0f, 9.0f, 1.0f, 0.0f, 9.0f, 1.0f}));
    Show();
    EXPECT_FLOAT_EQ(chart->Surface()->horizontalAspectRatio(), 1.0f);
}

// Closing the 3D plot deletes the window, the chart and the surface, and gives their
// memory back (bench_plot3d prints the figures).
TEST_F(Chart3DTest, ClosingDeletesTheDialogChartAndSurface)
{
    ASSERT_TRUE(doc.SetUpGrid(ScanGrid{50, 50, 0.0f, 4.9f, 0.1f, 0.0f, 4.9f, 0.1f}));
    QPointer<QDialog> shown;
    QPointer<CChart3D> drawn;
    QPointer<QWindow> surface;
    bool opened = false;
    ui.dialogHandler = [&](QDialog& d) {
        shown = &d;
        drawn = d.findChild<CChart3D*>();
        if (drawn)
            surface = drawn->Surface();
        d.show();
        opened = drawn != nullptr && surface != nullptr;
        return 0;
    };
    Open3DPlot(doc, state.plot3d, ui, nullptr);
    ASSERT_TRUE(opened);
    EXPECT_EQ(shown, nullptr);
    EXPECT_EQ(drawn, nullptr);
    EXPECT_EQ(surface, nullptr);
}

TEST_F(Chart3DTest, PrintWritesAPdfPage)
{
    Open(ScanGrid{5, 5, 0.0f, 4.0f, 1.0f, 0.0f, 4.0f, 1.0f});
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("chart.pdf"));
    ui.dialogHandler = [&](QDialog& d) {
        auto* print = qobject_cast<QPrintDialog*>(&d);
        if (print == nullptr)
            return 0;
        print->printer()->setOutputFormat(QPrinter::PdfFormat);
        print->printer()->setOutputFileName(pdf);
        return 1;
    };
    EXPECT_TRUE(chart->Print());
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
    EXPECT_GT(file.size(), 2000);
    EXPECT_TRUE(ui.messages.isEmpty());

    // The print dialog cancelled: nothing printed, no message.
    ui.dialogHandler = [](QDialog&) { return 0; };
    EXPECT_FALSE(chart->Print());
    EXPECT_TRUE(ui.messages.isEmpty());
}

} // namespace
