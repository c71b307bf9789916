#pragma once

#include <cstdint>

// Largest grid accepted from a file or the instrument: three arrays of this many
// 4-byte elements stay well inside a desktop's memory.
inline constexpr std::int64_t kMaxGridPoints = 50'000'000;

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

// The point rule: (pos - origin) / inc + 0.5 truncated toward zero, in double
// precision. Returns -1 where that is not a representable index.
int PointIndexOf(double offset, float inc);
