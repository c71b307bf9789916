#include "display/ColourTransform.h"

#include <algorithm>

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
