#pragma once

#include <string>
#include <vector>

// The labelled values of one chart axis and the decimals they are printed with.
struct AxisTicks
{
    // Ascending; the first is the axis' low end, the last its high end.
    std::vector<double> values;
    int decimals = 0;
};

// Ticks from low to high: both ends, which are the values the user needs (the grid's
// first and last position, the top of the colour range), and between them the multiples
// of a round step (1, 2 or 5 times a power of ten, never finer than resolution) at most
// maxSegments to the axis. A multiple closer to an end than three quarters of a step gives way
// to the end. Every label differs from its neighbours, however flat the range; low == high gives
// that one value.
AxisTicks ChooseAxisTicks(double low, double high, double resolution, int maxSegments);

// "%.*f" of a tick, never "-0" or "-0.0".
std::string TickLabel(double value, int decimals);
