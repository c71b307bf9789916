#include "view/SelectionTools.h"

#include "display/ColourSettings.h"
#include "document/CVespiraDoc.h"
#include "document/IPatternView.h"
#include "render/LineRule.h"
#include "render/ViewTexts.h"

#include <algorithm>

namespace {

constexpr int kMinLevel = 0;
constexpr int kMaxLevel = 255;

} // namespace

CSelectionTools::CSelectionTools(CVespiraDoc& doc, CProgramState& state, IPatternView& view)
    : m_doc(doc), m_state(state), m_view(view)
{}

bool CSelectionTools::HasSelection() const
{
    // A closed document has given its arrays back.
    return m_doc.PointCount() > 0 &&
           static_cast<std::size_t>(m_doc.PointCount()) <= m_doc.m_pScanTime.size();
}

void CSelectionTools::ShowStatus(const GridPoint* point) const
{
    m_state.ui->SetStatusText(FormatStatusText(m_doc, m_state.dragMode, point));
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
    m_doc.SetScanTime(point.x, point.y, m_state.defaultScanTime);
    m_view.DrawTarget(point.x, point.y);
    m_view.DrawStatistics();
    Stamp();
}

void CSelectionTools::CommitShape(GridPoint end)
{
    const float time = m_state.defaultScanTime;
    if (m_state.cursorType == kToolLine)
        SelectLineTargets(m_doc, m_state.dragAnchor, end, time);
    else
        ForEachRectanglePoint(m_doc.m_nXPoints, m_doc.m_nYPoints, m_state.dragAnchor, end,
                              [&](int col, int row) { m_doc.SetScanTime(col, row, time); });
    Stamp();
    m_view.RequestRepaint();
}

void CSelectionTools::LeftPress(const PointerSpot& spot)
{
    if (spot.onGrid && HasSelection() && m_doc.IsInGrid(spot.point.x, spot.point.y)) {
        if (!m_state.viewOverlay) {
            m_state.viewOverlay = true;
            m_view.RequestRepaint();
        }
        if (m_state.cursorType == kToolEraser)
            ErasePoint(spot.point);
        else if (m_state.cursorType >= kToolArrow && m_state.cursorType <= kToolRectangle)
            SelectPoint(spot.point);
        m_state.dragMode = DragMode::Selecting;
        m_state.dragAnchor = spot.point;
        m_state.dragCurrent = spot.point;
        m_doc.SetModifiedFlag(true);
    } else if (spot.onScale) {
        m_state.dragMode = DragMode::ScaleAdjust;
        m_state.dragAnchor = {spot.sx, spot.sy};
        ShowStatus(nullptr);
    }
}

void CSelectionTools::PointerMove(const PointerSpot& spot)
{
    const bool onGrid = spot.onGrid && HasSelection() && m_doc.IsInGrid(spot.point.x, spot.point.y);
    ShowStatus(onGrid ? &spot.point : nullptr);
    if (m_state.dragMode == DragMode::Selecting && onGrid) {
        switch (m_state.cursorType) {
        case kToolEraser:
            ErasePoint(spot.point);
            break;
        case kToolLine:
        case kToolRectangle:
            m_state.dragCurrent = spot.point;
            m_view.RequestRepaint();
            break;
        case kToolCurve:
            SelectPoint(spot.point);
            break;
        default:
            break;
        }
    } else if (m_state.dragMode == DragMode::ScaleAdjust) {
        AdjustScale(spot.sx, spot.sy, true);
    }
}

bool CSelectionTools::AdjustScale(int sx, int sy, bool showStatus)
{
    const long long brightness = static_cast<long long>(m_doc.m_nBrightness) + sy -
                                 static_cast<long long>(m_state.dragAnchor.y);
    const long long contrast = static_cast<long long>(m_doc.m_nContrast) + sx -
                               static_cast<long long>(m_state.dragAnchor.x);
    const int newBrightness =
        static_cast<int>(std::clamp<long long>(brightness, kMinLevel, kMaxLevel));
    const int newContrast = static_cast<int>(std::clamp<long long>(contrast, kMinLevel, kMaxLevel));
    if (newBrightness == m_doc.m_nBrightness && newContrast == m_doc.m_nContrast)
        return false;
    SetDocumentBrightnessContrast(m_doc, m_state, newBrightness, newContrast);
    if (showStatus)
        ShowStatus(nullptr);
    m_view.DrawColourScale();
    m_state.dragAnchor = {sx, sy};
    return true;
}

void CSelectionTools::LeftRelease(const PointerSpot& spot)
{
    if (m_state.dragMode == DragMode::Selecting && HasSelection()) {
        const bool onGrid = spot.onGrid && m_doc.IsInGrid(spot.point.x, spot.point.y);
        const int tool = m_state.cursorType;
        if (onGrid) {
            if (tool == kToolEraser)
                ErasePoint(spot.point);
            else if (tool == kToolLine || tool == kToolRectangle)
                CommitShape(spot.point);
            else if (tool == kToolCurve)
                SelectPoint(spot.point);
            ShowStatus(&spot.point);
        } else if (tool == kToolLine || tool == kToolRectangle) {
            CommitShape(m_state.dragCurrent);
        }
    } else if (m_state.dragMode == DragMode::ScaleAdjust) {
        AdjustScale(spot.sx, spot.sy, false);
        m_view.RequestRepaint();
    }
    m_state.dragMode = DragMode::None;
}

void CSelectionTools::EndLostGesture()
{
    PointerSpot last;
    last.sx = m_state.dragAnchor.x;
    last.sy = m_state.dragAnchor.y;
    LeftRelease(last);
}

void CSelectionTools::Retime(const PointerSpot& spot)
{
    if (!spot.onGrid || !HasSelection() || !m_doc.IsInGrid(spot.point.x, spot.point.y) ||
        m_state.cursorType == kToolEraser)
        return;
    // With another value than the four tools the press selected nothing: the new target
    // is drawn, so the screen never hides one.
    const bool wasTarget = m_doc.IsTarget(spot.point.x, spot.point.y);
    m_doc.SetScanTime(spot.point.x, spot.point.y, m_state.defaultScanTime);
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
