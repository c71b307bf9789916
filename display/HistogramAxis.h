#pragma once

#include "document/IntensityRange.h"

#include <cstdint>
#include <span>
#include <vector>

// The value axis of a histogram of intensities, on a colour scale: a position from 0 to 1
// for every value from lo to hi, linear, square root or logarithmic as the colours run
// (in the log scale everything at or below max(lo, 1) sits at 0).
struct HistogramAxis
{
    int lo = 0;
    int hi = 1;
    IntensityScale scale = IntensityScale::Linear;

    double PositionOf(std::int32_t value) const;
    // The whole value nearest to a position, within lo..hi.
    std::int32_t ValueAt(double position) const;
};

// The number of values in each of `bins` equal steps of the axis' position.
std::vector<std::int64_t> BinValues(std::span<const std::int32_t> values, const HistogramAxis& axis,
                                    int bins);
