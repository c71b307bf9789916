#include "ScanGrid.h"

#include <cmath>
#include <limits>

namespace {

int TruncateToIndex(double value)
{
    if (!std::isfinite(value) || value >= 2147483648.0 || value <= -2147483649.0)
        return -1;
    return static_cast<int>(value);
}

} // namespace

int GridPointCount(float beg, float end, float inc)
{
    if (!std::isfinite(beg) || !std::isfinite(end) || !std::isfinite(inc) || inc == 0.0f)
        return -1;
    return TruncateToIndex((static_cast<double>(end) - beg) / inc + 1.5);
}

bool ComputeGridCounts(ScanGrid& grid)
{
    grid.nXPoints = GridPointCount(grid.fXBeg, grid.fXEnd, grid.fXInc);
    grid.nYPoints = GridPointCount(grid.fYBeg, grid.fYEnd, grid.fYInc);
    return grid.nXPoints >= 1 && grid.nYPoints >= 1 &&
           static_cast<std::int64_t>(grid.nXPoints) * grid.nYPoints <= kMaxGridPoints;
}

int PointIndexOf(double offset, float inc)
{
    return TruncateToIndex(offset / inc + 0.5);
}
