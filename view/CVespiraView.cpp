#include "view/CVespiraView.h"

#include "display/ColourSettings.h"
#include "display/dialogs/CColorScaleDlg.h"
#include "document/CVespiraDoc.h"
#include "document/PatternRange.h"
#include "render/CPatternPainter.h"
#include "render/LineRule.h"
#include "render/PrintedPage.h"
#include "render/ViewTexts.h"
#include "view/OptionsCommand.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace {

// At most this often the whole image is recoloured while a scan raises the maximum.
constexpr int kRecolourDelayMs = 200;
// At most this often (three times a second) the measured points are summarised for an automatic or
// percentile range while a scan fills them.
constexpr int kRangeRefreshMs = 333;

} // namespace

CVespiraView::CVespiraView(CVespiraDoc& doc, const ViewContext& context, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_context(context), m_render(context.Render()),
      m_tools(doc, context, *this)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Both right-button events reach the mouse handlers: the press sets the zoom centre,
    // the release shows the context menu.
    setContextMenuPolicy(Qt::PreventContextMenu);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    m_recolour.setSingleShot(true);
    m_recolour.setInterval(kRecolourDelayMs);
    connect(&m_recolour, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    m_rangeRefresh.setSingleShot(true);
    m_rangeRefresh.setInterval(kRangeRefreshMs);
    connect(&m_rangeRefresh, &QTimer::timeout, this, [this] {
        KeepRangeCurrent();
        if (!m_cells.ColoursMatch(m_doc))
            update();
    });
    connect(&m_doc, &CVespiraDoc::cellChanged, this, &CVespiraView::DrawCell);
    // An undo or redo in another view of the pattern changes the targets drawn here.
    connect(&m_doc, &CVespiraDoc::historyChanged, this, &CVespiraView::RequestRepaint);
}

CVespiraView::~CVespiraView()
{
    if (m_bGestureHere)
        m_context.tools.dragMode = DragMode::None;
    m_context.services.liveScan.ForgetView(this);
}

int CVespiraView::LineHeight()
{
    if (m_nLineHeight < 0)
        m_nLineHeight = fontMetrics().height() + 1;
    return m_nLineHeight;
}

void CVespiraView::RecalcScreenLayout(int width, int height)
{
    if (width > 0)
        m_doc.m_nClientWidth = width;
    if (height > 0)
        m_doc.m_nClientHeight = height;
    m_window = VisibleWindowOf(m_doc);
    const int statisticsWidth = fontMetrics().horizontalAdvance(QLatin1String(kStatisticsTitle));
    m_layout =
        ComputeLayout(kScreenLayout, m_doc.m_nClientWidth, m_doc.m_nClientHeight, LineHeight(),
                      statisticsWidth, m_window.Columns(), m_window.Rows(), m_doc.m_nZoom);
    // A window too large for cells of one pixel makes the view larger than its frame, which
    // then scrolls; the axes are drawn with the image, so they scroll with it. Layout runs
    // inside paint events, where resizing is not allowed: the new size comes next.
    const QSize needed = PageSizeForSinglePixelCells(kScreenLayout, LineHeight(), statisticsWidth,
                                                     m_window.Columns(), m_window.Rows());
    if (needed != minimumSize())
        QMetaObject::invokeMethod(
            this, [this, needed] { setMinimumSize(needed); }, Qt::QueuedConnection);
    m_doc.m_nCellSize = m_layout.cellSize;
    m_doc.m_nImageLeft = m_layout.image.left();
    m_doc.m_nImageRight = m_layout.image.right();
    m_doc.m_nImageTop = m_layout.image.top();
    m_doc.m_nImageBottom = m_layout.image.bottom();
    m_doc.m_nBarLeft = m_layout.bar.left();
    m_doc.m_nBarRight = m_layout.bar.right();
    m_doc.m_nBarTop = m_layout.bar.top();
    m_doc.m_nBarBottom = m_layout.bar.bottom();
}

void CVespiraView::SetZoom(int level)
{
    m_doc.m_nZoom = std::clamp(level, 1, 8);
    const VisibleRange columns = ZoomRange(m_doc.m_nXPoints, m_doc.m_nZoom, m_doc.m_nZoomCol);
    const VisibleRange rows = ZoomRange(m_doc.m_nYPoints, m_doc.m_nZoom, m_doc.m_nZoomRow);
    m_doc.m_nFirstCol = columns.first;
    m_doc.m_nLastCol = columns.last;
    m_doc.m_nFirstRow = rows.first;
    m_doc.m_nLastRow = rows.last;
}

ImagePlacement CVespiraView::Placement() const
{
    return {m_layout.image, m_layout.cellSize, m_window,
            NormalisedOrientation(m_context.options.orientation)};
}

QRect CVespiraView::CellRect(int col, int row) const
{
    if (!m_window.Contains(col, row))
        return {};
    return ::CellRect(Placement(), col, row);
}

bool CVespiraView::HitTestGrid(int x, int y, int& col, int& row) const
{
    return ::HitTestGrid(Placement(), x, y, col, row);
}

bool CVespiraView::HitTestColourScale(int x, int y, int& sx, int& sy) const
{
    return ::HitTestColourScale(m_layout.bar, x, y, sx, sy);
}

QString CVespiraView::FormatStatusText(const GridPoint* point) const
{
    return ::FormatStatusText(m_doc, m_context.tools.dragMode, point);
}

void CVespiraView::SetCellColour(int col, int row, COLORREF colour)
{
    if (!m_cells.Matches(m_doc, m_render) || m_window != m_cells.Window()) {
        update();
        return;
    }
    if (m_cells.SetColour(col, row, colour))
        update(CellRect(col, row));
}

void CVespiraView::OnRangeLock()
{
    SetRangeLocked(m_doc, !m_doc.m_range.IsLocked());
    RepaintAllViews();
}

void CVespiraView::KeepRangeCurrent()
{
    if (m_rangeRefresh.isActive() || !m_doc.m_range.NeedsSummary() || !m_doc.m_range.IsStale())
        return;
    RefreshRange(m_doc);
    m_rangeRefresh.start();
}

void CVespiraView::DrawCell(int col, int row)
{
    KeepRangeCurrent();
    if (!m_cells.Matches(m_doc, m_render) || m_window != m_cells.Window()) {
        update();
        return;
    }
    // A raised maximum changes every colour and the scale's label: recolour soon, but
    // not once per collected point; until then the cell keeps its place in the old image.
    if (!m_cells.ColoursMatch(m_doc)) {
        if (!m_recolour.isActive())
            m_recolour.start();
        return;
    }
    // A point arriving on a target keeps the overlay colour, so picked targets stay
    // visible while the scan fills the rows under them.
    if (m_cells.RestoreCell(m_doc, m_render, col, row))
        update(CellRect(col, row));
}

void CVespiraView::DrawTarget(int col, int row)
{
    SetCellColour(col, row, m_context.colours.selection);
}

void CVespiraView::DrawCollectMarker(int col, int row)
{
    SetCellColour(col, row, m_context.colours.activeTarget);
}

void CVespiraView::DrawAllTargets()
{
    if (!m_cells.Matches(m_doc, m_render)) {
        update();
        return;
    }
    for (int row = m_window.firstRow; row <= m_window.lastRow; ++row)
        for (int col = m_window.firstCol; col <= m_window.lastCol; ++col)
            if (m_doc.IsTarget(col, row))
                m_cells.SetColour(col, row, m_context.colours.selection);
    update(m_layout.image);
}

void CVespiraView::DrawStatistics()
{
    update(CPatternPainter::StatisticsArea(m_layout, fontMetrics().height(), width()));
}

void CVespiraView::DrawColourScale()
{
    // Only the scale is asked for, but its new colours no longer match the image, so the
    // paint recolours every cell as well: users see the image follow the drag (about
    // 6 ms a step for a million points).
    update(CPatternPainter::ColourScaleArea(m_layout, width()));
}

void CVespiraView::RequestRepaint()
{
    update();
}

void CVespiraView::paintEvent(QPaintEvent* event)
{
    // A view of the live scan's pattern that is painted shows its scan.
    m_context.services.liveScan.SetView(this);
    // Each view lays itself out for its own size; the document keeps the last layout.
    RecalcScreenLayout(width(), height());

    // A partly hidden view never gets a whole paint event, so the colours are checked
    // whatever part is painted; a scrolled view counts as whole when all it shows is
    // painted.
    const QRect shown = visibleRegion().boundingRect();
    const bool whole =
        event->rect().contains(rect()) || (!shown.isEmpty() && event->rect().contains(shown));
    KeepRangeCurrent();
    const bool matches = m_cells.Matches(m_doc, m_render) && m_cells.ColoursMatch(m_doc);
    // A Line or Rectangle following the pointer redraws only the cells it left and entered.
    const bool patched = whole && matches && m_cells.UpdatePendingShape(m_doc, m_render);
    if (!patched && (whole || !matches)) {
        m_cells.Compose(m_doc, m_render);
        m_recolour.stop();
        if (!whole)
            update();
    }

    QPainter painter(this);
    CPatternPainter page(painter, m_doc, m_render, m_layout, false, font());
    page.SetDirty(event->rect());
    page.FillBackground(width(), height());
    page.DrawPage(m_cells.Image(), m_cells.Window(), m_cells.Orientation());
}

void CVespiraView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    RecalcScreenLayout(width(), height());
}

PointerSpot CVespiraView::SpotAt(const QPoint& p) const
{
    PointerSpot spot;
    spot.onGrid = HitTestGrid(p.x(), p.y(), spot.point.x, spot.point.y);
    spot.onScale = HitTestColourScale(p.x(), p.y(), spot.sx, spot.sy);
    return spot;
}

void CVespiraView::mouseMoveEvent(QMouseEvent* event)
{
    // A release that went astray (a grab taken by another window) ends the gesture here.
    if (m_bGestureHere && !(event->buttons() & Qt::LeftButton))
        EndLostGesture();
    const PointerSpot spot = SpotAt(event->position().toPoint());
    if (m_context.tools.dragMode != DragMode::None && !m_bGestureHere) {
        // Another view's gesture: only the status text follows this pointer.
        m_context.Ui().SetStatusText(FormatStatusText(spot.onGrid ? &spot.point : nullptr));
    } else {
        m_tools.PointerMove(spot);
    }
    QWidget::mouseMoveEvent(event);
}

void CVespiraView::mousePressEvent(QMouseEvent* event)
{
    const PointerSpot spot = SpotAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        if (m_context.tools.dragMode != DragMode::None && !m_bGestureHere)
            m_context.tools.dragMode = DragMode::None; // left over by a view that is gone
        m_tools.LeftPress(spot);
        m_bGestureHere = m_context.tools.dragMode != DragMode::None;
    } else if (event->button() == Qt::RightButton) {
        RightPress(spot);
    }
    QWidget::mousePressEvent(event);
}

void CVespiraView::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        if (m_bGestureHere || m_context.tools.dragMode == DragMode::None)
            m_tools.LeftRelease(SpotAt(p));
        m_bGestureHere = false;
    } else if (event->button() == Qt::RightButton && SpotAt(p).onGrid) {
        emit contextMenuRequested(mapToGlobal(p));
    }
    QWidget::mouseReleaseEvent(event);
}

void CVespiraView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        // The second press of any other double click is an ordinary press.
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    const PointerSpot spot = SpotAt(event->position().toPoint());
    RightPress(spot);
    m_tools.Retime(spot);
}

void CVespiraView::RightPress(const PointerSpot& spot)
{
    if (spot.onGrid)
        m_tools.SetZoomCentre(spot);
    else if (spot.onScale)
        OpenColourScaleDialog();
    else
        OpenOptionsDialog();
}

void CVespiraView::keyPressEvent(QKeyEvent* event)
{
    QPoint step;
    switch (event->key()) {
    case Qt::Key_Left:
        step = {-1, 0};
        break;
    case Qt::Key_Up:
        step = {0, -1};
        break;
    case Qt::Key_Right:
        step = {1, 0};
        break;
    case Qt::Key_Down:
        step = {0, 1};
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    // The window system turns the moved pointer into an ordinary pointer move.
    QCursor::setPos(screen(), QCursor::pos(screen()) + step);
}

void CVespiraView::focusOutEvent(QFocusEvent* event)
{
    // A menu popping up takes the focus only for its own life.
    if (event->reason() != Qt::PopupFocusReason)
        EndLostGesture();
    QWidget::focusOutEvent(event);
}

void CVespiraView::hideEvent(QHideEvent* event)
{
    EndLostGesture();
    QWidget::hideEvent(event);
}

void CVespiraView::EndLostGesture()
{
    if (!m_bGestureHere)
        return;
    m_bGestureHere = false;
    if (m_context.tools.dragMode != DragMode::None)
        m_tools.EndLostGesture();
}

void CVespiraView::OpenColourScaleDialog()
{
    CColorScaleDlg dialog(m_context.colours, m_context.Ui(), ColourScaleValuesOf(m_doc),
                          m_doc.m_LutColors, this, m_doc.m_range.settings);
    dialog.SetRangeData(MeasuredValuesOf(m_doc), m_doc.m_nMinIntensity, m_doc.m_nMaxIntensity);
    if (m_context.Ui().ExecDialog(dialog) != QDialog::Accepted)
        return;
    const bool colours =
        ApplyColourScaleChoice(m_doc, m_context.colours.display, m_context.Ui(), dialog.Values());
    const bool range = ApplyRangeChoice(m_doc, m_context.colours.display, dialog.Range());
    if (colours || range)
        RequestRepaint();
}

void CVespiraView::OpenOptionsDialog()
{
    OpenOptions(m_context.colours, m_context.Ui(), this);
}

void CVespiraView::RepaintAllViews()
{
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* view = qobject_cast<CVespiraView*>(widget))
            view->update();
}

bool CVespiraView::Print(QPaintDevice& device)
{
    // A range that follows the measured points is brought up to date for the page, and the
    // view follows it.
    if (RefreshRange(m_doc))
        update();
    return PrintPatternPage(device, m_doc, m_render, font());
}
