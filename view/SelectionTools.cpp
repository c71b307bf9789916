#include "view/SelectionTools.h"

#include "display/ColourSettings.h"
#include "document/CVespiraDoc.h"
#include "document/IHostUi.h"
#include "document/IPatternView.h"
#include "render/LineRule.h"
#include "render/ViewTexts.h"

#include <algorithm>

namespace {

constexpr int kMinLevel = 0;
constexpr int kMaxLevel = 255;

// The name of a gesture's step in the undo history.
QString StepName(CursorTool tool)
{
    switch (tool) {
    case CursorTool::Eraser:
        return QStringLiteral("Eraser");
    case CursorTool::Line:
        return QStringLiteral("Line");
    case CursorTool::Curve:
        return QStringLiteral("Curve");
    case CursorTool::Rectangle:
        return QStringLiteral("Rectangle");
    default:
        return QStringLiteral("Point");
    }
}

} // namespace

CSelectionTools::CSelectionTools(CVespiraDoc& doc, const ViewContext& context, IPatternView& view)
    : m_doc(doc), m_context(context), m_tools(context.tools), m_view(view)
{}

bool CSelectionTools::HasSelection() const
{
    // A closed document has given its arrays back.
    return m_doc.PointCount() > 0 &&
           static_cast<std::size_t>(m_doc.PointCount()) <= m_doc.m_pScanTime.size();
}

void CSelectionTools::ShowStatus(const GridPoint* point) const
{
    m_context.Ui().SetStatusText(FormatStatusText(m_doc, m_tools.dragMode, point));
}

void CSelectionTools::Stamp()
{
    m_doc.StampModified();
}

void CSelectionTools::ErasePoint(GridPoint point)
{
    if (!m_doc.IsTarget(point.x, point.y))
        return;
    m_doc.SetScanTime(point.x, point.y, 0.0f);
    m_view.DrawCell(point.x, point.y);
    m_view.DrawStatistics();
    Stamp();
}

void CSelectionTools::SelectPoint(GridPoint point)
{
    if (m_doc.IsTarget(point.x, point.y))
        return;
    m_doc.SetScanTime(point.x, point.y, m_tools.defaultScanTime);
    m_view.DrawTarget(point.x, point.y);
    m_view.DrawStatistics();
    Stamp();
}

void CSelectionTools::CommitShape(GridPoint end)
{
    const float time = m_tools.defaultScanTime;
    if (m_tools.tool == CursorTool::Line)
        SelectLineTargets(m_doc, m_tools.dragAnchor, end, time);
    else
        ForEachRectanglePoint(m_doc.m_nXPoints, m_doc.m_nYPoints, m_tools.dragAnchor, end,
                              [&](int col, int row) { m_doc.SetScanTime(col, row, time); });
    Stamp();
    m_view.RequestRepaint();
}

void CSelectionTools::LeftPress(const PointerSpot& spot)
{
    if (spot.onGrid && HasSelection() && m_doc.IsInGrid(spot.point.x, spot.point.y)) {
        if (!m_context.options.overlay) {
            m_context.options.overlay = true;
            m_view.RequestRepaint();
        }
        m_doc.BeginTargetStep(StepName(m_tools.tool));
        if (m_tools.tool == CursorTool::Eraser)
            ErasePoint(spot.point);
        else if (m_tools.tool == CursorTool::Arrow || m_tools.tool == CursorTool::Line ||
                 m_tools.tool == CursorTool::Curve || m_tools.tool == CursorTool::Rectangle)
            SelectPoint(spot.point);
        m_tools.dragMode = DragMode::Selecting;
        m_tools.dragAnchor = spot.point;
        m_tools.dragCurrent = spot.point;
        m_doc.MarkModifiedByPress();
    } else if (spot.onScale) {
        m_tools.dragMode = DragMode::ScaleAdjust;
        m_tools.dragAnchor = {spot.sx, spot.sy};
        ShowStatus(nullptr);
    }
}

void CSelectionTools::PointerMove(const PointerSpot& spot)
{
    const bool onGrid = spot.onGrid && HasSelection() && m_doc.IsInGrid(spot.point.x, spot.point.y);
    ShowStatus(onGrid ? &spot.point : nullptr);
    if (m_tools.dragMode == DragMode::Selecting && onGrid) {
        switch (m_tools.tool) {
        case CursorTool::Eraser:
            ErasePoint(spot.point);
            break;
        case CursorTool::Line:
        case CursorTool::Rectangle:
            m_tools.dragCurrent = spot.point;
            m_view.RequestRepaint();
            break;
        case CursorTool::Curve:
            SelectPoint(spot.point);
            break;
        default:
            break;
        }
    } else if (m_tools.dragMode == DragMode::ScaleAdjust) {
        AdjustScale(spot.sx, spot.sy, true);
    }
}

bool CSelectionTools::AdjustScale(int sx, int sy, bool showStatus)
{
    const long long brightness = static_cast<long long>(m_doc.m_nBrightness) + sy -
                                 static_cast<long long>(m_tools.dragAnchor.y);
    const long long contrast = static_cast<long long>(m_doc.m_nContrast) + sx -
                               static_cast<long long>(m_tools.dragAnchor.x);
    const int newBrightness =
        static_cast<int>(std::clamp<long long>(brightness, kMinLevel, kMaxLevel));
    const int newContrast = static_cast<int>(std::clamp<long long>(contrast, kMinLevel, kMaxLevel));
    if (newBrightness == m_doc.m_nBrightness && newContrast == m_doc.m_nContrast)
        return false;
    SetDocumentBrightnessContrast(m_doc, m_context.colours.display, newBrightness, newContrast);
    if (showStatus)
        ShowStatus(nullptr);
    m_view.DrawColourScale();
    m_tools.dragAnchor = {sx, sy};
    return true;
}

void CSelectionTools::LeftRelease(const PointerSpot& spot)
{
    if (m_tools.dragMode == DragMode::Selecting && HasSelection()) {
        const bool onGrid = spot.onGrid && m_doc.IsInGrid(spot.point.x, spot.point.y);
        const CursorTool tool = m_tools.tool;
        if (onGrid) {
            if (tool == CursorTool::Eraser)
                ErasePoint(spot.point);
            else if (tool == CursorTool::Line || tool == CursorTool::Rectangle)
                CommitShape(spot.point);
            else if (tool == CursorTool::Curve)
                SelectPoint(spot.point);
            ShowStatus(&spot.point);
        } else if (tool == CursorTool::Line || tool == CursorTool::Rectangle) {
            CommitShape(m_tools.dragCurrent);
        }
    } else if (m_tools.dragMode == DragMode::ScaleAdjust) {
        AdjustScale(spot.sx, spot.sy, false);
        m_view.RequestRepaint();
    }
    m_tools.dragMode = DragMode::None;
    m_doc.EndTargetStep();
}

void CSelectionTools::EndLostGesture()
{
    PointerSpot last;
    last.sx = m_tools.dragAnchor.x;
    last.sy = m_tools.dragAnchor.y;
    LeftRelease(last);
}

void CSelectionTools::Retime(const PointerSpot& spot)
{
    if (!spot.onGrid || !HasSelection() || !m_doc.IsInGrid(spot.point.x, spot.point.y) ||
        m_tools.tool == CursorTool::Eraser)
        return;
    // With another value than the four tools the press selected nothing: the new target
    // is drawn, so the screen never hides one.
    const bool wasTarget = m_doc.IsTarget(spot.point.x, spot.point.y);
    m_doc.BeginTargetStep(QStringLiteral("Scan Time"));
    m_doc.SetScanTime(spot.point.x, spot.point.y, m_tools.defaultScanTime);
    m_doc.EndTargetStep();
    if (!wasTarget)
        m_view.DrawTarget(spot.point.x, spot.point.y);
    ShowStatus(&spot.point);
    m_view.DrawStatistics();
}

void CSelectionTools::SetZoomCentre(const PointerSpot& spot)
{
    if (!spot.onGrid)
        return;
    m_doc.m_nZoomCol = spot.point.x;
    m_doc.m_nZoomRow = spot.point.y;
}
