#pragma once

// A grid point (column x, row y), or an offset on the colour scale.
struct GridPoint
{
    int x = 0;
    int y = 0;
};

// The current tool, as the settings store it ("CursorType"); a stored value of no tool
// selects nothing and is kept as it was.
enum class CursorTool : int
{
    Eraser = -1,
    Arrow = 1,
    Line = 2,
    Curve = 3,
    Rectangle = 4
};

enum class DragMode
{
    None,
    Selecting,
    ScaleAdjust
};

// The selection tools' state, one for all views: the tool, the scan time new targets
// get, and the gesture under way. The tools write it; drawing a pending line or
// rectangle reads it.
struct ToolState
{
    CursorTool tool = CursorTool::Arrow;
    float defaultScanTime = 900.0f;
    DragMode dragMode = DragMode::None;
    GridPoint dragAnchor;
    GridPoint dragCurrent;
    // A Line or Rectangle is being drawn: its cells follow the pointer.
    bool DrawsPendingShape() const
    {
        return dragMode == DragMode::Selecting &&
               (tool == CursorTool::Line || tool == CursorTool::Rectangle);
    }
};
