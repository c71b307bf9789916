#pragma once

#include "document/Colour.h"
#include "document/IntensityRange.h"

#include <QColor>

#include <cstdint>

// The brightness and contrast (and the Defaults button's values) under which the colour
// table equals the look-up table.
constexpr int kNeutralBrightnessContrast = 127;

// Fills the colour table from the look-up table with the brightness and contrast
// transform; hue and saturation are carried but do not change the colours.
void ApplyBrightnessContrast(const ColourTable& lut, int brightness, int contrast, int hue,
                             int saturation, ColourTable& colours);

// Index into the colour table of an intensity: linear from the minimum (0) to the
// maximum (255). A maximum of 0 or less gives 0 instead of dividing by zero.
inline int IntensityColourIndex(std::int32_t value, int minimum, int maximum)
{
    if (maximum <= 0)
        return 0;
    long long v = value;
    if (v > maximum)
        v = maximum;
    if (v < minimum)
        v = minimum;
    // In double, exact: the quotient is far from the next whole number unless it is one.
    const double index = static_cast<double>((v - minimum) * 255) / maximum;
    return index >= 255.0 ? 255 : index <= 0.0 ? 0 : static_cast<int>(index);
}

// Index into the colour table of an intensity drawn with a range and scale. Today's rule
// for the Rising maximum in linear scale; otherwise values at or below the minimum take
// the first colour, at or above the maximum the last, and between them the linear, square
// root or logarithmic position (the log scale's minimum is at least 1).
int RangeColourIndex(std::int32_t value, const DrawnRange& range);

// 0x00BBGGRR to Qt's 0xFFRRGGBB.
constexpr QRgb ToQRgb(COLORREF c)
{
    return 0xFF000000u | (static_cast<QRgb>(RedOf(c)) << 16) |
           (static_cast<QRgb>(GreenOf(c)) << 8) | static_cast<QRgb>(BlueOf(c));
}
inline QColor ToQColor(COLORREF c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}
