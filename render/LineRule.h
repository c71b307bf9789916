#pragma once

#include "render/ToolState.h"

#include <algorithm>
#include <cstdlib>

class CVespiraDoc;

// Calls visit(column, row) for every grid point of the segment from a to b, both ends
// included, in Bresenham's integer rasterisation: one point per column when shallow, one
// per row when steep; a step is taken only on a strictly positive error.
template <typename Visit>
void ForEachLinePoint(GridPoint a, GridPoint b, Visit visit)
{
    // Start at the smaller column; with equal columns at b.
    const GridPoint s = a.x < b.x ? a : b;
    const GridPoint e = a.x < b.x ? b : a;
    const long long dx = static_cast<long long>(e.x) - s.x;
    const int step = e.y >= s.y ? 1 : -1;
    const long long dy = std::llabs(static_cast<long long>(e.y) - s.y);
    if (dy <= dx) {
        long long error = 2 * dy - dx;
        int row = s.y;
        for (long long col = s.x; col <= e.x; ++col) {
            visit(static_cast<int>(col), row);
            if (error > 0) {
                row += step;
                error += 2 * dy - 2 * dx;
            } else {
                error += 2 * dy;
            }
        }
    } else {
        long long error = 2 * dx - dy;
        int col = s.x;
        for (long long i = 0, row = s.y; i <= dy; ++i, row += step) {
            visit(col, static_cast<int>(row));
            if (error > 0) {
                ++col;
                error += 2 * dx - 2 * dy;
            } else {
                error += 2 * dx;
            }
        }
    }
}

// Calls visit(column, row) for every point of the rectangle with corners a and b (in any
// order), clipped to a grid of nx columns and ny rows.
template <typename Visit>
void ForEachRectanglePoint(int nx, int ny, GridPoint a, GridPoint b, Visit visit)
{
    const int firstCol = std::max(std::min(a.x, b.x), 0);
    const int lastCol = std::min(std::max(a.x, b.x), nx - 1);
    const int firstRow = std::max(std::min(a.y, b.y), 0);
    const int lastRow = std::min(std::max(a.y, b.y), ny - 1);
    for (int row = firstRow; row <= lastRow; ++row)
        for (int col = firstCol; col <= lastCol; ++col)
            visit(col, row);
}

// The commit of a Line gesture: every grid point of the line gets the scan time, whether
// it was a target or not. Points outside the grid are skipped.
void SelectLineTargets(CVespiraDoc& doc, GridPoint a, GridPoint b, float scanTime);

// Number of targets and their total scan time, counting a pending Line or Rectangle
// gesture as if it were already committed.
struct SelectionStatistics
{
    int count = 0;
    double totalSeconds = 0.0;
};
SelectionStatistics ComputeSelectionStatistics(const CVespiraDoc& doc, const ToolState& tools);
