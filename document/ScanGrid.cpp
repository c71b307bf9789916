#include "document/ScanGrid.h"

#include <cmath>
#include <cstdio>
#include <cstring>
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

std::optional<std::uint64_t> ReadAvailableMemory(const char* meminfo)
{
    std::FILE* file = std::fopen(meminfo, "re");
    if (file == nullptr)
        return std::nullopt;
    std::optional<std::uint64_t> available;
    char line[256];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        unsigned long long kib = 0;
        if (std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1) {
            available = static_cast<std::uint64_t>(kib) * 1024;
            break;
        }
    }
    std::fclose(file);
    return available;
}

bool GridFitsInMemory(const ScanGrid& grid, std::optional<std::uint64_t> available)
{
    if (!available)
        return true;
    // Intensity and selection, 4 bytes a point each, and as much again for the undo history.
    const std::uint64_t arrays =
        static_cast<std::uint64_t>(grid.nXPoints) * static_cast<std::uint64_t>(grid.nYPoints) * 12;
    return *available >= kMemoryReserve && arrays <= *available - kMemoryReserve;
}
