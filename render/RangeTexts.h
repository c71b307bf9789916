#pragma once

#include "document/IntensityRange.h"

#include <QString>

#include <vector>

// The colour scale's top label: the maximum, then the scale when it is not linear and
// "locked" when the range is frozen; the maximum alone by default.
QString ColourScaleTopText(const DrawnRange& range);

// A decade of a logarithmic colour scale: its value and its height on the scale, from 0
// (the first colour, the bottom) to 1 (the last, the top).
struct ScaleTick
{
    long long value = 0;
    double height = 0.0;
};

// The powers of ten strictly between the minimum and the maximum of a logarithmic range,
// lowest first; none for another scale.
std::vector<ScaleTick> DecadeTicks(const DrawnRange& range);
