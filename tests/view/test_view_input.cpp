#include "display/ColourTransform.h"
#include "display/dialogs/COptionsDlg.h"
#include "render/LineRule.h"
#include "tests/common/ViewTestSupport.h"
#include "view/CVespiraView.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <set>

namespace {

QRgb Rgb24(QRgb c)
{
    return c & 0xFFFFFFu;
}

using Points = std::set<std::pair<int, int>>;

struct InputFixture : ViewFixtureBase, ::testing::Test
{
    static constexpr int kCols = 9;
    static constexpr int kRows = 7;
    std::unique_ptr<CVespiraView> view;

    // Every point a colour of its own, so a pixel tells which cell is drawn there.
    void SetUp() override
    {
        MakeDoc(kCols, kRows);
        for (int row = 0; row < kRows; ++row)
            for (int col = 0; col < kCols; ++col)
                SetIntensity(col, row, row * kCols + col);
        doc->m_nMaxIntensity = kCols * kRows - 1;
        for (std::size_t i = 0; i < 256; ++i)
            doc->m_DisplayColors[i] = Rgb(int(i), 255 - int(i), int(i * 7) & 0xFF);
        view = std::make_unique<CVespiraView>(*doc, state);
        view->resize(420, 320);
        Lay();
    }
    void Lay() { view->RecalcScreenLayout(view->width(), view->height()); }
    void Zoom(int level, int col, int row)
    {
        doc->m_nZoomCol = col;
        doc->m_nZoomRow = row;
        view->SetZoom(level);
        Lay();
    }
    QRgb IntensityColour(int col, int row) const
    {
        const int v = doc->m_pIntensity[static_cast<std::size_t>(doc->IndexOf(col, row))];
        return Rgb24(ToQRgb(doc->m_DisplayColors[static_cast<std::size_t>(
            IntensityColourIndex(v, doc->m_nMinIntensity, doc->m_nMaxIntensity))]));
    }
    QPoint Centre(int col, int row) const { return view->CellRect(col, row).center(); }
    Points Targets() const
    {
        Points targets;
        for (int row = 0; row < kRows; ++row)
            for (int col = 0; col < kCols; ++col)
                if (doc->IsTarget(col, row))
                    targets.insert({col, row});
        return targets;
    }

    // Mouse events as the window system delivers them, with the buttons held after each.
    void Send(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent event(type, QPointF(p), QPointF(view->mapToGlobal(p)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(view.get(), &event);
    }
    void Press(QPoint p, Qt::MouseButton b = Qt::LeftButton)
    {
        Send(QEvent::MouseButtonPress, p, b, b);
    }
    void Release(QPoint p, Qt::MouseButton b = Qt::LeftButton)
    {
        Send(QEvent::MouseButtonRelease, p, b, Qt::NoButton);
    }
    void Move(QPoint p, Qt::MouseButtons held = Qt::LeftButton)
    {
        Send(QEvent::MouseMove, p, Qt::NoButton, held);
    }
    void Click(QPoint p, Qt::MouseButton b = Qt::LeftButton)
    {
        Press(p, b);
        Release(p, b);
    }
    void DoubleClick(QPoint p)
    {
        Click(p);
        Send(QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
        Release(p);
    }
    // A point off the grid and off the colour scale.
    QPoint Elsewhere() const { return {2, view->height() - 2}; }
};

} // namespace

TEST_F(InputFixture, EveryPixelHitsTheCellDrawnThereInAllOrientationsAndZooms)
{
    for (int zoom : {1, 2, 3}) {
        Zoom(zoom, 6, 1);
        for (int orientation = 0; orientation < 4; ++orientation) {
            state.view.orientation = orientation;
            const QImage image = view->grab().toImage();
            const QRect area = view->ScreenLayout().image;
            int hits = 0;
            for (int y = area.top() - 1; y <= area.bottom() + 1; ++y)
                for (int x = area.left() - 1; x <= area.right() + 1; ++x) {
                    const PointerSpot spot = view->SpotAt({x, y});
                    ASSERT_EQ(spot.onGrid, area.contains(x, y)) << x << "," << y;
                    if (!spot.onGrid)
                        continue;
                    ++hits;
                    ASSERT_EQ(Rgb24(image.pixel(x, y)), IntensityColour(spot.point.x, spot.point.y))
                        << x << "," << y << " zoom " << zoom << " orientation " << orientation;
                }
            EXPECT_EQ(hits, area.width() * area.height());
        }
    }
}

TEST_F(InputFixture, ClickOnTheLeftmostColumnMirroredSelectsTheLastVisibleColumn)
{
    Zoom(2, 3, 3);
    state.view.orientation = 1; // "-X,+Y"
    Lay();
    const QRect area = view->ScreenLayout().image;
    Click({area.left(), area.top()});
    EXPECT_EQ(Targets(), (Points{{doc->m_nLastCol, doc->m_nFirstRow}}));
    EXPECT_LT(doc->m_nLastCol, kCols - 1); // the zoom window, not the grid, decides
    EXPECT_EQ(state.tools.dragMode, DragMode::None);
}

TEST_F(InputFixture, LineDraggedThroughTheViewSelectsTheLineRuleInEveryOrientation)
{
    state.tools.tool = CursorTool::Line;
    for (int orientation = 0; orientation < 4; ++orientation) {
        state.view.orientation = orientation;
        doc->ClearAll();
        Press(Centre(1, 5));
        Move(Centre(8, 0));
        Move(Centre(7, 2));
        EXPECT_EQ(state.tools.dragCurrent.x, 7);
        EXPECT_EQ(state.tools.dragCurrent.y, 2);
        Move(Elsewhere());
        Release(Elsewhere());
        Points expected;
        ForEachLinePoint({1, 5}, {7, 2}, [&](int c, int r) { expected.insert({c, r}); });
        EXPECT_EQ(Targets(), expected) << orientation;
        EXPECT_EQ(state.tools.dragMode, DragMode::None);
    }
}

TEST_F(InputFixture, DoubleClickRetimesATargetAndSetsTheZoomCentre)
{
    SetTime(3, 3, 30.0f);
    state.tools.defaultScanTime = 45.0f;
    Click(Centre(3, 3));
    EXPECT_EQ(doc->m_pScanTime[static_cast<std::size_t>(doc->IndexOf(3, 3))], 30.0f);
    DoubleClick(Centre(3, 3));
    EXPECT_EQ(doc->m_pScanTime[static_cast<std::size_t>(doc->IndexOf(3, 3))], 45.0f);
    EXPECT_EQ(doc->m_nZoomCol, 3);
    EXPECT_EQ(doc->m_nZoomRow, 3);
    EXPECT_EQ(ui.dialogCount, 0);
    EXPECT_EQ(ui.statusText.right(8), QStringLiteral("Time: 45"));
}

TEST_F(InputFixture, RightButtonZoomCentreMenuAndDialogs)
{
    QList<QPoint> menus;
    QObject::connect(view.get(), &CVespiraView::contextMenuRequested,
                     [&menus](const QPoint& at) { menus << at; });
    QStringList titles;
    ui.dialogHandler = [&titles](QDialog& dialog) {
        titles << dialog.windowTitle();
        return int(QDialog::Rejected);
    };

    Press(Centre(5, 4), Qt::RightButton);
    EXPECT_EQ(doc->m_nZoomCol, 5);
    EXPECT_EQ(doc->m_nZoomRow, 4);
    EXPECT_EQ(menus.count(), 0);
    Release(Centre(5, 4), Qt::RightButton);
    ASSERT_EQ(menus.count(), 1);
    EXPECT_EQ(menus[0], view->mapToGlobal(Centre(5, 4)));

    Click(view->ScreenLayout().bar.center(), Qt::RightButton);
    Click(Elsewhere(), Qt::RightButton);
    DoubleClick(Elsewhere());
    EXPECT_EQ(titles, (QStringList{"Color Intensity Scale", "Options", "Options"}));
    EXPECT_EQ(menus.count(), 1); // off the grid no menu
    EXPECT_EQ(doc->m_nZoomCol, 5);
}

TEST_F(InputFixture, OptionsAcceptedFromTheViewRepaintsIt)
{
    view->show();
    QApplication::processEvents();
    ui.dialogHandler = [](QDialog& dialog) {
        auto& options = dynamic_cast<COptionsDlg&>(dialog);
        for (int c = 0; c < COptionsDlg::kComponentCount; ++c)
            options.Edit(COptionsDlg::kBackground, c)->setText(QStringLiteral("0"));
        options.accept();
        return options.result();
    };
    Click(Elsewhere(), Qt::RightButton);
    const QImage image = view->grab().toImage();
    EXPECT_EQ(state.colours.background, Rgb(0, 0, 0));
    EXPECT_EQ(Rgb24(image.pixel(Elsewhere())), 0u);
}

TEST_F(InputFixture, GestureEndsWhenItsReleaseIsLost)
{
    state.tools.tool = CursorTool::Rectangle;
    view->show();
    Press(Centre(0, 0));
    Move(Centre(2, 1));
    // The next move arrives with no button held: the release went elsewhere.
    Move(Centre(8, 6), Qt::NoButton);
    EXPECT_EQ(state.tools.dragMode, DragMode::None);
    EXPECT_EQ(doc->ScanCount(), 6);

    state.tools.tool = CursorTool::Line;
    Press(Centre(0, 6));
    Move(Centre(3, 6));
    view->hide(); // the window closed mid-gesture
    EXPECT_EQ(state.tools.dragMode, DragMode::None);
    EXPECT_EQ(doc->ScanCount(), 10);
}

TEST_F(InputFixture, ArrowKeysNudgeThePointerByOnePixel)
{
    view->show();
    QCursor::setPos(view->screen(), QPoint(100, 100));
    const QPoint start = QCursor::pos(view->screen());
    for (auto [key, step] : {std::pair{Qt::Key_Left, QPoint(-1, 0)},
                             {Qt::Key_Up, QPoint(0, -1)},
                             {Qt::Key_Right, QPoint(1, 0)},
                             {Qt::Key_Down, QPoint(0, 1)}}) {
        const QPoint before = QCursor::pos(view->screen());
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &press);
        EXPECT_EQ(QCursor::pos(view->screen()), before + step);
    }
    EXPECT_EQ(QCursor::pos(view->screen()), start);
}

TEST_F(InputFixture, PendingShapeFollowingThePointerDrawsAsAFreshRepaint)
{
    SetTime(4, 3, 900.0f);
    SetTime(0, 0, 900.0f);
    state.liveScan.SetActive(doc.get());
    state.liveScan.SetMarker(5, 2);
    for (CursorTool tool : {CursorTool::Rectangle, CursorTool::Line}) {
        state.tools.tool = tool;
        Zoom(1, -1, -1);
        state.view.orientation = tool == CursorTool::Rectangle ? 2 : 1;
        Press(Centre(3, 3));
        view->grab();
        for (auto [col, row] : {std::pair{6, 5}, {8, 6}, {5, 4}, {0, 0}, {1, 6}, {3, 3}, {8, 0}}) {
            Move(Centre(col, row));
            const QImage shown = view->grab().toImage();
            CVespiraView fresh(*doc, state);
            fresh.resize(view->size());
            ASSERT_EQ(shown, fresh.grab().toImage())
                << static_cast<int>(tool) << ": " << col << "," << row;
        }
        Release(Centre(8, 0));
    }
    state.liveScan.Forget();
}
