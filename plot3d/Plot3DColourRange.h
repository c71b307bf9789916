#pragma once

#include "document/IntensityRange.h"

class CVespiraDoc;

// The intensities the pattern's colours are spread over, on the scale of its 2D view:
// low takes the colour table's first entry, high (and above) its last.
struct Plot3DColourRange
{
    double low = 0.0;
    double high = 0.0;
    IntensityScale scale = IntensityScale::Linear;
};

// The one place the 3D plot takes its colour range from, so the surface has the colours
// the 2D view gives the same values.
Plot3DColourRange ChartColourRange(const CVespiraDoc& doc);

// The intensity at a share (0 to 1) of the range on its scale: the edge between colour
// bands; a log scale starts at 1 at the least, as the 2D view's does.
double ValueAtShare(const Plot3DColourRange& range, double share);
