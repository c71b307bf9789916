#include "render/LineRule.h"

#include "document/CVespiraDoc.h"

void SelectLineTargets(CVespiraDoc& doc, GridPoint a, GridPoint b, float scanTime)
{
    ForEachLinePoint(a, b, [&](int col, int row) { doc.SetScanTime(col, row, scanTime); });
}

SelectionStatistics ComputeSelectionStatistics(const CVespiraDoc& doc, const ToolState& tools)
{
    SelectionStatistics stats;
    // Summed in double: a float total drifts by minutes over a large selection.
    stats.count = doc.ScanCount();
    stats.totalSeconds = doc.TotalScanTime();
    if (tools.dragMode != DragMode::Selecting ||
        static_cast<std::size_t>(doc.PointCount()) > doc.m_pScanTime.size())
        return stats;

    // A pending gesture counts as committed: each of its points takes the default time.
    const float time = tools.defaultScanTime;
    auto commit = [&](int col, int row) {
        if (!doc.IsInGrid(col, row))
            return;
        const float old = doc.m_pScanTime[static_cast<std::size_t>(doc.IndexOf(col, row))];
        stats.count += (time > 0.0f ? 1 : 0) - (old > 0.0f ? 1 : 0);
        stats.totalSeconds += static_cast<double>(time) - old;
    };
    if (tools.tool == CursorTool::Line)
        ForEachLinePoint(tools.dragAnchor, tools.dragCurrent, commit);
    else if (tools.tool == CursorTool::Rectangle)
        ForEachRectanglePoint(doc.m_nXPoints, doc.m_nYPoints, tools.dragAnchor, tools.dragCurrent,
                              commit);
    return stats;
}
