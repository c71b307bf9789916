#include "render/RangeTexts.h"

#include "base/NumberText.h"

#include <algorithm>
#include <cmath>

QString ColourScaleTopText(const DrawnRange& range)
{
    QString text = QString::fromStdString(FormatInt(range.max));
    if (range.scale == IntensityScale::SquareRoot)
        text += QStringLiteral(" sqrt");
    else if (range.scale == IntensityScale::Logarithmic)
        text += QStringLiteral(" log");
    if (range.locked)
        text += QStringLiteral(" locked");
    return text;
}

std::vector<ScaleTick> DecadeTicks(const DrawnRange& range)
{
    std::vector<ScaleTick> ticks;
    if (range.scale != IntensityScale::Logarithmic)
        return ticks;
    const double lo = std::log10(static_cast<double>(std::max(range.min, 1)));
    const double span = std::log10(static_cast<double>(range.max)) - lo;
    if (!(span > 0.0))
        return ticks;
    for (long long decade = 1; decade < range.max; decade *= 10)
        if (decade > range.min)
            ticks.push_back({decade, (std::log10(static_cast<double>(decade)) - lo) / span});
    return ticks;
}
