#include "display/ColourTransform.h"
#include "display/dialogs/CColorScaleDlg.h"
#include "tests/common/ViewTestSupport.h"
#include "view/CVespiraView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Records the rectangles of the paint events a widget receives.
class CPaintRecorder : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            rects.push_back(static_cast<QPaintEvent*>(event)->rect());
        return false;
    }
    std::vector<QRect> rects;
};

void Settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

QRgb Rgb24(QRgb c)
{
    return c & 0xFFFFFFu;
}

} // namespace

struct DrawingFixture : ViewFixtureBase, ::testing::Test
{
    std::unique_ptr<CVespiraView> view;

    // A 7 x 5 pattern with intensities 0..34 and every colour of the table distinct.
    void SetUp() override
    {
        MakeDoc(7, 5);
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 7; ++col)
                SetIntensity(col, row, row * 7 + col);
        doc->m_nMaxIntensity = 34;
        for (std::size_t i = 0; i < 256; ++i)
            doc->m_DisplayColors[i] = Rgb(int(i), 255 - int(i), int(i * 7) & 0xFF);
        state.colours.border = Rgb(128, 0, 0);
        state.colours.background = Rgb(250, 250, 250);
        view = std::make_unique<CVespiraView>(*doc, state);
        view->resize(400, 300);
    }

    QImage Render() { return view->grab().toImage(); }
    QRgb Centre(const QImage& image, int col, int row)
    {
        return Rgb24(image.pixel(view->CellRect(col, row).center()));
    }
    QRgb IntensityColour(int col, int row)
    {
        const int v = doc->m_pIntensity[static_cast<std::size_t>(doc->IndexOf(col, row))];
        return Rgb24(ToQRgb(doc->m_DisplayColors[static_cast<std::size_t>(
            IntensityColourIndex(v, doc->m_nMinIntensity, doc->m_nMaxIntensity))]));
    }
    void ExpectIntensityColours(const QImage& image)
    {
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 7; ++col)
                ASSERT_EQ(Centre(image, col, row), IntensityColour(col, row))
                    << col << "," << row << " orientation " << state.view.orientation;
    }
};

TEST_F(DrawingFixture, CellsTakeTheirIntensityColourInEveryOrientation)
{
    for (int orientation = 0; orientation < 4; ++orientation) {
        state.view.orientation = orientation;
        const QImage image = Render();
        ExpectIntensityColours(image);
    }
    // "-X,-Y" puts the last column and row at the top-left.
    state.view.orientation = 2;
    const QImage image = Render();
    EXPECT_EQ(Rgb24(image.pixel(view->ScreenLayout().image.topLeft())), IntensityColour(6, 4));
}

TEST_F(DrawingFixture, APartialRepaintShowsTheCurrentTableAndRange)
{
    Render();
    const QRect image = view->ScreenLayout().image;
    // Only the image is painted, as when the view is partly outside the main window.
    auto expectPart = [&]() {
        const QImage part = view->grab(image).toImage();
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 7; ++col)
                ASSERT_EQ(Rgb24(part.pixel(view->CellRect(col, row).center() - image.topLeft())),
                          IntensityColour(col, row))
                    << col << "," << row;
    };
    // A new table, as OK in the colour-scale dialog gives it.
    for (std::size_t i = 0; i < 256; ++i)
        doc->m_DisplayColors[i] = Rgb(255 - int(i), int(i), 128);
    expectPart();
    // A raised maximum, as a scan gives it.
    doc->m_nMaxIntensity = 340;
    expectPart();
}

TEST_F(DrawingFixture, LayoutIsStoredInTheDocument)
{
    Render();
    const PatternLayout& layout = view->ScreenLayout();
    EXPECT_EQ(doc->m_nClientWidth, 400);
    EXPECT_EQ(doc->m_nCellSize, layout.cellSize);
    EXPECT_EQ(doc->m_nImageLeft, layout.image.left());
    EXPECT_EQ(doc->m_nImageRight, layout.image.left() + 7 * layout.cellSize - 1);
    EXPECT_EQ(doc->m_nBarLeft, doc->m_nImageRight + 15);
    EXPECT_EQ(doc->m_nBarBottom, 147);
    EXPECT_EQ(layout.image.top(), 20);
}

TEST_F(DrawingFixture, FrameCornersScaleAndBackground)
{
    const QImage image = Render();
    const QRect img = view->ScreenLayout().image;
    const QRgb border = Rgb24(ToQRgb(state.colours.border));
    EXPECT_EQ(Rgb24(image.pixel(img.left() - 2, img.top() - 2)), border);
    EXPECT_EQ(Rgb24(image.pixel(img.right() + 2, img.bottom() + 2)), border);
    EXPECT_EQ(Rgb24(image.pixel(img.left() - 1, img.center().y())), border);
    EXPECT_EQ(Rgb24(image.pixel(img.left() - 3, img.top() - 3)),
              Rgb24(ToQRgb(state.colours.background)));
    const QRect bar = view->ScreenLayout().bar;
    EXPECT_EQ(Rgb24(image.pixel(bar.right() + 2, bar.top() - 2)), border);
    // Band 0 at the bottom shows colour 0, band 127 at the top colour 254.
    EXPECT_EQ(Rgb24(image.pixel(bar.center().x(), bar.bottom())),
              Rgb24(ToQRgb(doc->m_DisplayColors[0])));
    EXPECT_EQ(Rgb24(image.pixel(bar.center().x(), bar.top())),
              Rgb24(ToQRgb(doc->m_DisplayColors[254])));
    EXPECT_EQ(Rgb24(image.pixel(bar.center().x(), bar.bottom() - 64)),
              Rgb24(ToQRgb(doc->m_DisplayColors[128])));
}

TEST_F(DrawingFixture, OverlayMarkerAndPendingGestures)
{
    SetTime(1, 1, 900.0f);
    const QRgb selection = Rgb24(ToQRgb(state.colours.selection));
    EXPECT_EQ(Centre(Render(), 1, 1), selection);
    state.view.overlay = false;
    EXPECT_EQ(Centre(Render(), 1, 1), IntensityColour(1, 1));

    state.liveScan.SetActive(doc.get());
    state.liveScan.SetMarker(3, 2);
    EXPECT_EQ(Centre(Render(), 3, 2), Rgb24(ToQRgb(state.colours.activeTarget)));
    state.liveScan.Forget();
    EXPECT_EQ(Centre(Render(), 3, 2), IntensityColour(3, 2));

    state.tools.dragMode = DragMode::Selecting;
    state.tools.tool = CursorTool::Line;
    state.tools.dragAnchor = {0, 0};
    state.tools.dragCurrent = {2, 4};
    QImage image = Render();
    EXPECT_EQ(Centre(image, 1, 2), selection);
    EXPECT_EQ(Centre(image, 2, 0), IntensityColour(2, 0));
    state.tools.tool = CursorTool::Rectangle;
    image = Render();
    EXPECT_EQ(Centre(image, 2, 0), selection);
    EXPECT_EQ(Centre(image, 3, 0), IntensityColour(3, 0));
    state.tools.tool = CursorTool::Curve;
    EXPECT_EQ(Centre(Render(), 2, 0), IntensityColour(2, 0));
}

TEST_F(DrawingFixture, SingleCellRepaintsOnlyItsCell)
{
    view->show();
    Settle();
    CPaintRecorder recorder;
    view->installEventFilter(&recorder);

    SetIntensity(4, 3, 0);
    view->DrawCell(4, 3);
    Settle();
    ASSERT_EQ(recorder.rects.size(), 1u);
    EXPECT_EQ(recorder.rects[0], view->CellRect(4, 3));

    recorder.rects.clear();
    view->DrawTarget(5, 3);
    view->DrawStatistics();
    Settle();
    QRect painted;
    for (const QRect& r : recorder.rects)
        painted = painted.united(r);
    EXPECT_TRUE(painted.contains(view->CellRect(5, 3)));
    EXPECT_FALSE(painted.contains(view->CellRect(0, 0)));

    // What a partial repaint draws is the changed cell from the retained image.
    QImage cell(view->size(), QImage::Format_RGB32);
    cell.fill(Qt::black);
    view->render(&cell, view->CellRect(4, 3).topLeft(), QRegion(view->CellRect(4, 3)));
    EXPECT_EQ(Centre(cell, 4, 3), IntensityColour(4, 3));
    view->render(&cell, view->CellRect(5, 3).topLeft(), QRegion(view->CellRect(5, 3)));
    EXPECT_EQ(Centre(cell, 5, 3), Rgb24(ToQRgb(state.colours.selection)));
    view->removeEventFilter(&recorder);
}

TEST_F(DrawingFixture, APointArrivingOnATargetKeepsTheOverlayColour)
{
    SetTime(4, 3, 900.0f);
    view->show();
    Settle();
    // What a partial repaint shows is the retained image, as the screen gets it.
    auto shownCell = [&] {
        QImage shown(view->size(), QImage::Format_RGB32);
        shown.fill(Qt::black);
        view->render(&shown, view->CellRect(4, 3).topLeft(), QRegion(view->CellRect(4, 3)));
        return Centre(shown, 4, 3);
    };
    // A live point lands through the document, as the remote handler stores it.
    const float x = static_cast<float>(doc->XOf(4));
    const float y = static_cast<float>(doc->YOf(3));
    ASSERT_TRUE(doc->SetPointIntensity(x, y, 7));
    Settle();
    EXPECT_EQ(shownCell(), Rgb24(ToQRgb(state.colours.selection)));

    state.view.overlay = false;
    view->repaint();
    ASSERT_TRUE(doc->SetPointIntensity(x, y, 9));
    Settle();
    EXPECT_EQ(shownCell(), IntensityColour(4, 3));
}

TEST_F(DrawingFixture, EachStepOfAColourScaleDragRecoloursTheImage)
{
    // The table of the program, so brightness and contrast make new colours from it.
    doc->CopyDisplaySettings(state.colours.display);
    view->show();
    Settle();
    const QPoint start = view->ScreenLayout().bar.center();
    auto send = [&](QEvent::Type type, QPoint p, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(p), QPointF(view->mapToGlobal(p)), Qt::LeftButton, held,
                          Qt::NoModifier);
        QApplication::sendEvent(view.get(), &event);
    };
    send(QEvent::MouseButtonPress, start, Qt::LeftButton);
    const QRgb before = IntensityColour(3, 2);
    CPaintRecorder recorder;
    view->installEventFilter(&recorder);
    send(QEvent::MouseMove, start - QPoint(0, 40), Qt::LeftButton);
    Settle();
    ASSERT_NE(IntensityColour(3, 2), before) << "the drag changed the colours";
    // Before the release the whole view is painted again, and the cells show the new
    // colours, not only the scale.
    QRect painted;
    for (const QRect& r : recorder.rects)
        painted = painted.united(r);
    EXPECT_TRUE(painted.contains(view->rect()));
    QImage cell(view->size(), QImage::Format_RGB32);
    view->render(&cell, view->CellRect(3, 2).topLeft(), QRegion(view->CellRect(3, 2)));
    EXPECT_EQ(Centre(cell, 3, 2), IntensityColour(3, 2));
    view->removeEventFilter(&recorder);
    send(QEvent::MouseButtonRelease, start - QPoint(0, 40), Qt::NoButton);
}

TEST_F(DrawingFixture, CellsOutsideTheWindowAreNotDrawn)
{
    doc->m_nFirstCol = 2;
    doc->m_nLastCol = 4;
    view->show();
    Settle();
    CPaintRecorder recorder;
    view->installEventFilter(&recorder);
    view->DrawCell(0, 0);
    view->DrawTarget(6, 4);
    view->DrawCollectMarker(5, 1);
    Settle();
    EXPECT_TRUE(recorder.rects.empty());
    EXPECT_TRUE(view->CellRect(0, 0).isEmpty());
    view->removeEventFilter(&recorder);
}

TEST_F(DrawingFixture, RaisedMaximumRecoloursTheWholeImageSoon)
{
    view->show();
    Settle();
    SetIntensity(0, 0, 340);
    doc->m_nMaxIntensity = 340;
    view->DrawCell(0, 0);
    QElapsedTimer timer;
    timer.start();
    CPaintRecorder recorder;
    view->installEventFilter(&recorder);
    while (timer.elapsed() < 1000 &&
           std::none_of(recorder.rects.begin(), recorder.rects.end(),
                        [&](const QRect& r) { return r.contains(view->rect()); }))
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_LT(timer.elapsed(), 1000);
    view->removeEventFilter(&recorder);
    ExpectIntensityColours(Render());
}

TEST_F(DrawingFixture, NoMaximumAndNoGridDrawSafely)
{
    doc->m_nMaxIntensity = 0;
    QImage image = Render();
    EXPECT_EQ(Centre(image, 3, 3), Rgb24(ToQRgb(doc->m_DisplayColors[0])));
    doc->m_nMaxIntensity = -10;
    Render();

    CVespiraDoc empty(state);
    CVespiraView emptyView(empty, state);
    emptyView.resize(200, 100);
    image = emptyView.grab().toImage();
    EXPECT_EQ(Rgb24(image.pixel(5, 5)), Rgb24(ToQRgb(state.colours.background)));
    int col = 0;
    int row = 0;
    EXPECT_FALSE(emptyView.HitTestGrid(60, 30, col, row));
    emptyView.DrawCell(0, 0);
    emptyView.DrawAllTargets();
}

TEST_F(DrawingFixture, SmallGridZoomedStaysInsideAndDraws)
{
    MakeDoc(3, 2);
    CVespiraView small(*doc, state);
    small.resize(1000, 800);
    small.SetZoom(8);
    EXPECT_EQ(doc->m_nFirstCol, 0);
    EXPECT_EQ(doc->m_nLastCol, 2);
    EXPECT_EQ(doc->m_nLastRow, 1);
    const QImage image = small.grab().toImage();
    // Zoomed in, the cells grow past the size they stop at unzoomed, and the picture
    // still fits the view.
    EXPECT_GT(small.ScreenLayout().cellSize, 64);
    EXPECT_LT(small.ScreenLayout().image.right(), small.width());
    EXPECT_LT(small.ScreenLayout().image.bottom(), small.height());
    EXPECT_FALSE(image.isNull());
}

TEST_F(DrawingFixture, PaintingMakesTheViewActiveForItsDocument)
{
    Render();
    EXPECT_EQ(state.liveScan.View(), nullptr);
    state.liveScan.SetActive(doc.get());
    Render();
    EXPECT_EQ(state.liveScan.View(), view.get());
    view.reset();
    EXPECT_EQ(state.liveScan.View(), nullptr);
}

TEST_F(DrawingFixture, OtherViewsOfThePatternFollowCollectedPoints)
{
    CVespiraView second(*doc, state);
    second.resize(300, 300);
    second.show();
    view->show();
    Settle();
    state.liveScan.SetActive(doc.get());
    state.liveScan.SetView(view.get());
    CPaintRecorder recorder;
    second.installEventFilter(&recorder);
    ASSERT_TRUE(doc->SetPointIntensity(1.0f, 1.0f, 3)); // column 2, row 0
    Settle();
    ASSERT_FALSE(recorder.rects.empty());
    EXPECT_EQ(recorder.rects[0], second.CellRect(2, 0));
    second.removeEventFilter(&recorder);
}

TEST_F(DrawingFixture, PointerMovesSetTheStatusText)
{
    Render();
    const QPoint onCell = view->CellRect(2, 1).center();
    QMouseEvent move(QEvent::MouseMove, onCell, view->mapToGlobal(onCell), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &move);
    EXPECT_EQ(ui.statusText, QStringLiteral("X: 1.0  Y: 0.75  Int: 9  Time: n/a"));
    const QPoint off(2, 2);
    QMouseEvent away(QEvent::MouseMove, off, view->mapToGlobal(off), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view.get(), &away);
    EXPECT_EQ(ui.statusText, QStringLiteral("X: ?  Y: ?  Int: ?  Time: ?"));
}

TEST_F(DrawingFixture, RightPressOnTheScaleOpensTheDialog)
{
    Render();
    int opened = 0;
    ui.dialogHandler = [&](QDialog& dialog) {
        ++opened;
        EXPECT_NE(dynamic_cast<CColorScaleDlg*>(&dialog), nullptr);
        auto* brightness = dialog.findChild<QLineEdit*>(QStringLiteral("brightnessEdit"));
        brightness->setText(QStringLiteral("127"));
        emit brightness->editingFinished();
        dialog.findChild<QLineEdit*>(QStringLiteral("contrastEdit"))->setText("127");
        dialog.accept();
        return dialog.result();
    };
    const QPoint onScale = view->ScreenLayout().bar.center();
    QMouseEvent press(QEvent::MouseButtonPress, onScale, view->mapToGlobal(onScale),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &press);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(doc->m_nBrightness, 127);
    EXPECT_EQ(state.colours.display.nBrightness, 127);
    EXPECT_EQ(doc->m_DisplayColors, doc->m_LutColors);

    const QPoint onImage = view->CellRect(0, 0).center();
    QMouseEvent elsewhere(QEvent::MouseButtonPress, onImage, view->mapToGlobal(onImage),
                          Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &elsewhere);
    EXPECT_EQ(opened, 1);
}

TEST_F(DrawingFixture, PrintedPageUsesThePrintLayoutOnWhite)
{
    QImage page(1024, 1024, QImage::Format_RGB32);
    page.fill(QColor(10, 20, 30)); // no background fill: this stays where nothing is drawn
    view->Print(page);
    // The 2048-unit layout is scaled by one half onto this page.
    EXPECT_EQ(Rgb24(page.pixel(2, 2)), 0x0A141Eu);
    QFont font = view->font();
    font.setPixelSize(36);
    const int lineHeight = QFontMetrics(font).height() + 1;
    const int cell = 128; // a 7 x 5 window fits cells of at most 128 units
    const QPoint origin(lineHeight + 120, 120);
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 7; ++col) {
            const QPoint centre =
                (origin + QPoint(col * cell + cell / 2, row * cell + cell / 2)) / 2;
            ASSERT_EQ(Rgb24(page.pixel(centre)), IntensityColour(col, row)) << col << "," << row;
        }
    // No Y texts: left of the image frame everything keeps the page's own colour.
    for (int y = 60; y < 60 + 5 * cell / 2; y += 4)
        for (int x = 0; x < origin.x() / 2 - 2; ++x)
            ASSERT_EQ(Rgb24(page.pixel(x, y)), 0x0A141Eu) << x << "," << y;
    // The screen layout was not disturbed.
    EXPECT_EQ(doc->m_nImageTop, 0);
}

TEST_F(DrawingFixture, PrintsToPdf)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    view->Print(printer);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_GT(file.size(), 1000);
    EXPECT_TRUE(file.read(5).startsWith("%PDF"));
}

TEST_F(DrawingFixture, HugeIntensityRangeColoursAsTheRuleSays)
{
    // A range too wide for the table of every value takes the division per point.
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 7; ++col)
            SetIntensity(col, row, (row * 7 + col) * 60000000);
    doc->m_nMaxIntensity = 34 * 60000000;
    ExpectIntensityColours(Render());
    doc->m_nMaxIntensity = 20 * 60000000; // and values above it take colour 255
    ExpectIntensityColours(Render());
}

TEST_F(DrawingFixture, ExportImageHasTheViewsColoursAtAnyCellSize)
{
    state.view.overlay = true;
    SetTime(2, 2, 900.0f); // targets are not part of the exported pattern
    const QImage one = RenderPatternImage(*doc, 1);
    ASSERT_EQ(one.size(), QSize(7, 5));
    const QImage three = RenderPatternImage(*doc, 3);
    ASSERT_EQ(three.size(), QSize(21, 15));
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 7; ++col) {
            ASSERT_EQ(Rgb24(one.pixel(col, row)), IntensityColour(col, row));
            ASSERT_EQ(Rgb24(three.pixel(col * 3, row * 3 + 2)), IntensityColour(col, row));
        }
    EXPECT_TRUE(RenderPatternImage(*doc, 0).isNull());
    EXPECT_TRUE(RenderPatternImage(*doc, 5000).isNull());
    CVespiraDoc empty(state);
    EXPECT_TRUE(RenderPatternImage(empty, 1).isNull());
}
