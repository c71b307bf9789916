#include "display/ColourTransform.h"
#include "display/dialogs/CColorScaleDlg.h"
#include "display/dialogs/CRangeHistogram.h"
#include "display/dialogs/CRangePanel.h"
#include "document/PatternRange.h"
#include "render/CCellImage.h"
#include "render/ViewTexts.h"
#include "tests/common/ViewTestSupport.h"
#include "view/CVespiraView.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <climits>

namespace {

QRgb Rgb24(QRgb c)
{
    return c & 0xFFFFFFu;
}

void SendMouse(QWidget& w, QEvent::Type type, QPoint p, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(p), QPointF(w.mapToGlobal(p)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

} // namespace

struct RangeFixture : ViewFixtureBase, ::testing::Test
{
    std::unique_ptr<CVespiraView> view;

    // A 10 x 10 pattern with intensities 100..199 and one hot point; every colour of the
    // table distinct.
    void SetUp() override
    {
        MakeDoc(10, 10);
        for (int row = 0; row < 10; ++row)
            for (int col = 0; col < 10; ++col)
                SetIntensity(col, row, 100 + row * 10 + col);
        SetIntensity(9, 9, 1000000000);
        doc->m_nMaxIntensity = 1000000000;
        for (std::size_t i = 0; i < 256; ++i)
            doc->m_DisplayColors[i] = Rgb(int(i), 255 - int(i), int(i * 7) & 0xFF);
        view = std::make_unique<CVespiraView>(*doc, state);
        view->resize(400, 300);
    }

    QRgb Shown(int col, int row)
    {
        return Rgb24(view->grab().toImage().pixel(view->CellRect(col, row).center()));
    }
    QRgb ColourOf(int index)
    {
        return Rgb24(ToQRgb(doc->m_DisplayColors[static_cast<std::size_t>(index)]));
    }
    int ValueAt(int col, int row)
    {
        return doc->m_pIntensity[static_cast<std::size_t>(doc->IndexOf(col, row))];
    }
};

TEST_F(RangeFixture, PercentileRangeKeepsOneHotPointFromWashingOutTheMap)
{
    // Rising maximum: everything but the hot point is the first colour.
    EXPECT_EQ(Shown(5, 5), ColourOf(0));
    doc->m_range.settings.mode = RangeMode::Percentile;
    // Of 100 points the 2nd and 99th in order: the hot point is the 100th.
    doc->m_range.settings.percentile = 2.0;
    const QImage image = view->grab().toImage();
    const DrawnRange range = DrawnRangeOf(*doc);
    EXPECT_EQ(range.min, 101);
    EXPECT_EQ(range.max, 198);
    for (int row = 0; row < 10; ++row)
        for (int col = 0; col < 10; ++col)
            ASSERT_EQ(Rgb24(image.pixel(view->CellRect(col, row).center())),
                      ColourOf(RangeColourIndex(ValueAt(col, row), range)))
                << col << "," << row;
    EXPECT_EQ(Shown(5, 5), ColourOf((155 - 101) * 255 / 97));
    EXPECT_EQ(Shown(9, 9), ColourOf(255));
}

TEST_F(RangeFixture, EveryScaleColoursTheViewAndTheExportAlike)
{
    for (IntensityScale scale :
         {IntensityScale::Linear, IntensityScale::SquareRoot, IntensityScale::Logarithmic}) {
        doc->m_range.settings.mode = RangeMode::Automatic;
        doc->m_range.settings.scale = scale;
        const QImage shown = view->grab().toImage();
        const QImage exported = RenderPatternImage(*doc, 1);
        ASSERT_FALSE(exported.isNull());
        for (int row = 0; row < 10; ++row)
            for (int col = 0; col < 10; ++col)
                ASSERT_EQ(Rgb24(shown.pixel(view->CellRect(col, row).center())),
                          Rgb24(exported.pixel(col, row)))
                    << static_cast<int>(scale) << " " << col << "," << row;
    }
}

TEST_F(RangeFixture, PointsNotMeasuredTakeTheirColourAndStayOutOfTheRange)
{
    state.colours.notMeasured = Rgb(1, 2, 3);
    doc->m_range.ResetMeasured(100, false);
    doc->m_range.settings.mode = RangeMode::Automatic;
    for (int col = 0; col < 5; ++col)
        doc->m_range.MarkMeasured(static_cast<std::size_t>(doc->IndexOf(col, 0)));
    EXPECT_EQ(Shown(7, 3), 0x010203u);
    EXPECT_EQ(Shown(9, 9), 0x010203u) << "the hot point has not arrived";
    EXPECT_EQ(DrawnRangeOf(*doc).min, 100);
    EXPECT_EQ(DrawnRangeOf(*doc).max, 104);
    EXPECT_EQ(Shown(4, 0), ColourOf(255));
    EXPECT_EQ(MeasuredValuesOf(*doc), (std::vector<std::int32_t>{100, 101, 102, 103, 104}));

    const GridPoint waiting{7, 3};
    EXPECT_EQ(FormatStatusText(*doc, DragMode::None, &waiting),
              QStringLiteral("X: 3.5  Y: 1.50  Int: not measured  Time: n/a"));
    const GridPoint arrived{1, 0};
    EXPECT_TRUE(FormatStatusText(*doc, DragMode::None, &arrived).contains("Int: 101 "));
}

TEST_F(RangeFixture, ANewGridHasNoPointMeasuredAndEachArrivingPointIsMarked)
{
    ScanGrid grid{3, 2, 0.0f, 2.0f, 1.0f, 0.0f, 1.0f, 1.0f};
    state.liveScan.SetPendingGrid(grid);
    CVespiraDoc live(state);
    ASSERT_TRUE(live.OnNewDocument());
    EXPECT_FALSE(live.m_range.IsMeasured(0));
    ASSERT_TRUE(live.SetPointIntensity(1.0f, 1.0f, 0));
    EXPECT_TRUE(live.m_range.IsMeasured(static_cast<std::size_t>(live.IndexOf(1, 0))));
    EXPECT_FALSE(live.m_range.IsMeasured(static_cast<std::size_t>(live.IndexOf(0, 0))));
    // A loaded or set-up grid has every point measured.
    EXPECT_TRUE(doc->m_range.AllMeasured());
}

TEST_F(RangeFixture, LiveAutomaticRangeIsRecomputedOnATimerNotPerPoint)
{
    doc->m_range.ResetMeasured(100, false);
    doc->m_range.settings.mode = RangeMode::Automatic;
    view->show();
    QElapsedTimer timer;
    timer.start();
    // The first paint summarised the empty pattern; its interval runs out.
    while (timer.elapsed() < 400)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    auto arrive = [&](int col, int row, int value) {
        SetIntensity(col, row, value);
        doc->m_range.MarkMeasured(static_cast<std::size_t>(doc->IndexOf(col, row)));
        view->DrawCell(col, row);
    };
    arrive(0, 0, 10);
    arrive(1, 0, 20);
    // The first point summarised at once; the second waits for the interval.
    EXPECT_TRUE(doc->m_range.IsStale());
    EXPECT_EQ(DrawnRangeOf(*doc).max, 10);
    timer.restart();
    while (timer.elapsed() < 2000 && DrawnRangeOf(*doc).max != 20)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(DrawnRangeOf(*doc).min, 10);
    EXPECT_EQ(DrawnRangeOf(*doc).max, 20);
    while (timer.elapsed() < 2000 && Shown(1, 0) != ColourOf(255))
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(Shown(0, 0), ColourOf(0));
    EXPECT_EQ(Shown(1, 0), ColourOf(255));
}

TEST_F(RangeFixture, ALockedRangeStaysWhilePointsArriveAndIsShownOnTheScale)
{
    doc->m_range.settings.mode = RangeMode::Automatic;
    RefreshRange(*doc);
    SetRangeLocked(*doc, true);
    const DrawnRange locked = DrawnRangeOf(*doc);
    EXPECT_TRUE(locked.locked);
    EXPECT_EQ(locked.max, 1000000000);
    SetIntensity(0, 0, INT32_MAX);
    doc->m_range.MarkMeasured(0);
    RefreshRange(*doc);
    doc->m_range.settings.scale = IntensityScale::Logarithmic;
    EXPECT_EQ(DrawnRangeOf(*doc), locked);
    SetRangeLocked(*doc, false);
    EXPECT_EQ(DrawnRangeOf(*doc).max, INT32_MAX);
}

TEST_F(RangeFixture, HistogramHandlesSetAFixedRangeAndTheDialogKeepsIt)
{
    CColorScaleDlg dialog(state.colours, ui, ColourScaleValuesOf(*doc), doc->m_LutColors, nullptr,
                          doc->m_range.settings);
    dialog.SetRangeData(MeasuredValuesOf(*doc), doc->m_nMinIntensity, doc->m_nMaxIntensity);
    CRangePanel* panel = dialog.RangePanel();
    CRangeHistogram* histogram = panel->Histogram();
    histogram->resize(264, 96);
    std::int64_t total = 0;
    for (std::int64_t c : histogram->Counts())
        total += c;
    EXPECT_EQ(total, 100);

    // Fixed starts from the range shown.
    panel->ModeBox()->setCurrentIndex(static_cast<int>(RangeMode::Fixed));
    EXPECT_EQ(panel->Settings().fixedMin, 0);
    EXPECT_EQ(panel->Settings().fixedMax, 1000000000);

    panel->ModeBox()->setCurrentIndex(static_cast<int>(RangeMode::Automatic));
    const int maxX = histogram->XOf(1000000000);
    const int to = histogram->XOf(500000000);
    SendMouse(*histogram, QEvent::MouseButtonPress, {maxX, 50}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(*histogram, QEvent::MouseMove, {to, 50}, Qt::NoButton, Qt::LeftButton);
    SendMouse(*histogram, QEvent::MouseButtonRelease, {to, 50}, Qt::LeftButton, Qt::NoButton);
    const RangeSettings dragged = panel->Settings();
    EXPECT_EQ(dragged.mode, RangeMode::Fixed);
    EXPECT_EQ(dragged.fixedMin, 100);
    EXPECT_NEAR(dragged.fixedMax, 500000000, 1000000000 / 250);
    EXPECT_EQ(panel->MaximumEdit()->text(), QString::number(dragged.fixedMax));

    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Range(), dragged);
    EXPECT_TRUE(ApplyRangeChoice(*doc, state.colours.display, dialog.Range()));
    EXPECT_EQ(doc->m_range.settings, dragged);
    EXPECT_EQ(state.colours.display.range, dragged) << "new patterns take the choice";
    EXPECT_FALSE(ApplyRangeChoice(*doc, state.colours.display, dialog.Range()));
}

TEST_F(RangeFixture, TheDialogRefusesAFixedRangeOutOfOrderAndABadPercentile)
{
    CColorScaleDlg dialog(state.colours, ui, ColourScaleValuesOf(*doc), doc->m_LutColors);
    CRangePanel* panel = dialog.RangePanel();
    panel->ModeBox()->setCurrentIndex(static_cast<int>(RangeMode::Percentile));
    panel->PercentileEdit()->setText(QStringLiteral("60"));
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ui.messages.size(), 1);
    panel->PercentileEdit()->setText(QStringLiteral("2.5"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Range().percentile, 2.5);
    EXPECT_EQ(dialog.Range().mode, RangeMode::Percentile);
}

TEST_F(RangeFixture, PrintingAPatternNeverShownUsesItsCurrentRange)
{
    doc->m_range.settings.mode = RangeMode::Automatic;
    QImage page(2048, 2048, QImage::Format_RGB32);
    page.fill(Qt::white);
    ASSERT_TRUE(view->Print(page));
    EXPECT_EQ(DrawnRangeOf(*doc).min, 100);
    EXPECT_EQ(DrawnRangeOf(*doc).max, 1000000000);
}
