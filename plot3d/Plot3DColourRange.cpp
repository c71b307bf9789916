#include "plot3d/Plot3DColourRange.h"

#include "document/CVespiraDoc.h"
#include "document/PatternRange.h"

#include <algorithm>
#include <cmath>

Plot3DColourRange ChartColourRange(const CVespiraDoc& doc)
{
    const DrawnRange drawn = DrawnRangeOf(doc);
    return {static_cast<double>(drawn.min), static_cast<double>(drawn.max), drawn.scale};
}

double ValueAtShare(const Plot3DColourRange& range, double share)
{
    const double low = range.low;
    const double high = range.high;
    switch (range.scale) {
    case IntensityScale::SquareRoot:
        return low + share * share * (high - low);
    case IntensityScale::Logarithmic: {
        const double first = std::log10(std::max(low, 1.0));
        const double last = std::log10(std::max(high, 1.0));
        return std::pow(10.0, first + share * (last - first));
    }
    case IntensityScale::Linear:
        break;
    }
    return low + share * (high - low);
}
