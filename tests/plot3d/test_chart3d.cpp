// The real surface chart; needs OpenGL, so it runs under a virtual X display (xvfb-run).
#include "document/CVespiraDoc.h"
#include "plot3d/C3DPlotDlg.h"
#include "plot3d/CChart3D.h"
#include "tests/common/CFakeHostUi.h"
#include "tests/common/TestProgram.h"

#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QSurfaceDataProxy>
#include <QtDataVisualization/QValue3DAxis>

#include <gtest/gtest.h>

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
