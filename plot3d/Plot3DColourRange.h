#pragma once

class CVespiraDoc;

// The intensities the pattern's colours are spread over: low takes the colour table's
// first entry, high (and above) its last, as in the pattern's 2D view.
struct Plot3DColourRange
{
    double low = 0.0;
    double high = 0.0;
};

// The one place the 3D plot takes its colour range from, so the surface has the colours
// the 2D view gives the same values.
Plot3DColourRange ChartColourRange(const CVespiraDoc& doc);
