#pragma once

#include <cstdint>
#include <optional>

// Largest grid accepted from a file or the instrument, 4096 x 4096: a few such patterns
// open at once stay inside a desktop's memory.
inline constexpr std::int64_t kMaxGridPoints = 16'777'216;

// Memory left to the rest of the program and the system when a grid is allocated.
inline constexpr std::uint64_t kMemoryReserve = std::uint64_t{512} << 20;

// A scan grid as the instrument announces it: counts, then begin, end and increment of
// each axis. Column c lies at fXBeg + c * fXInc; row 0 is the top row at fYEnd.
struct ScanGrid
{
    int nXPoints = 51;
    int nYPoints = 51;
    float fXBeg = -5.0f;
    float fXEnd = 5.0f;
    float fXInc = 0.2f;
    float fYBeg = -5.0f;
    float fYEnd = 5.0f;
    float fYInc = 0.2f;
};

// Points along one axis: (end - beg) / inc + 1.5, truncated toward zero. Returns -1
// when the result cannot be a count (increment 0, values not finite, outside int).
int GridPointCount(float beg, float end, float inc);

// Fills in both counts from begin, end and increment; true when the grid can be
// allocated: both counts at least 1 and no more than kMaxGridPoints points.
bool ComputeGridCounts(ScanGrid& grid);

// MemAvailable of a meminfo file, in bytes; none when it cannot be read.
std::optional<std::uint64_t> ReadAvailableMemory(const char* meminfo = "/proc/meminfo");

// True when the grid's three arrays fit in `available` bytes less the reserve; a system
// that does not report its memory leaves the decision to the allocation.
bool GridFitsInMemory(const ScanGrid& grid, std::optional<std::uint64_t> available);

// The point rule: (pos - origin) / inc + 0.5 truncated toward zero, in double
// precision. Returns -1 where that is not a representable index.
int PointIndexOf(double offset, float inc);
