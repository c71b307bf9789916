#pragma once

class CLiveScan;
struct ProgramColours;
struct ToolState;
struct ViewOptions;

// What drawing a pattern reads besides the pattern itself: the program's colours, the view
// switches, the gesture under way and, from the live scan, the collect marker.
struct RenderContext
{
    const ProgramColours& colours;
    const ViewOptions& options;
    const ToolState& tools;
    const CLiveScan& liveScan;
};
