#include "display/ColourTransform.h"

#include <algorithm>
#include <cmath>

void ApplyBrightnessContrast(const ColourTable& lut, int brightness, int contrast, int, int,
                             ColourTable& colours)
{
    // 64-bit so that any stored 32-bit setting is safe from overflow.
    const long long h = (127 - static_cast<long long>(contrast)) / 2;
    const long long lo = 127 - h - brightness;
    const long long hi = 382 + h - brightness;
    const long long w = std::max<long long>(std::max(hi, lo), 1);
    const double step = 255.0 / static_cast<double>(w);
    // Accumulated, not recomputed from i, so the rounding matches the stored tables.
    double x = -static_cast<double>(lo) * step;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const double rounded = x + 0.5;
        const long long index = rounded >= 255.0 ? 255
                                : rounded <= 0.0 ? 0
                                                 : static_cast<long long>(rounded);
        colours[i] = lut[static_cast<std::size_t>(index)];
        x += step;
    }
}

int RangeColourIndex(std::int32_t value, const DrawnRange& range)
{
    if (range.rising && range.scale == IntensityScale::Linear)
        return IntensityColourIndex(value, range.min, range.max);
    const long long v = value;
    const long long min = range.min;
    const long long max = range.max;
    if (v <= min)
        return 0;
    if (v >= max)
        return 255;
    // min < v < max from here, so the index stays below 255.
    double index = 0.0;
    switch (range.scale) {
    case IntensityScale::Linear:
        // Whole numbers: (v - min) * 255 fits 41 bits.
        return static_cast<int>((v - min) * 255 / (max - min));
    case IntensityScale::SquareRoot:
        index = 255.0 * std::sqrt(static_cast<double>(v - min) / static_cast<double>(max - min));
        break;
    case IntensityScale::Logarithmic: {
        if (v <= 1)
            return 0;
        // Base 10, so decades fall on whole indices exactly.
        const double lo = std::log10(static_cast<double>(std::max<long long>(min, 1)));
        const double span = std::log10(static_cast<double>(max)) - lo;
        index = span > 0.0 ? 255.0 * (std::log10(static_cast<double>(v)) - lo) / span : 0.0;
        break;
    }
    }
    return std::clamp(static_cast<int>(index), 0, 254);
}
