#include "display/HistogramAxis.h"

#include <algorithm>
#include <cmath>

namespace {

double LogLow(const HistogramAxis& a)
{
    return std::log10(static_cast<double>(std::max(a.lo, 1)));
}

} // namespace

double HistogramAxis::PositionOf(std::int32_t value) const
{
    const double span = static_cast<double>(hi) - lo;
    if (span <= 0.0)
        return 0.0;
    const double linear = std::clamp((static_cast<double>(value) - lo) / span, 0.0, 1.0);
    switch (scale) {
    case IntensityScale::Linear:
        return linear;
    case IntensityScale::SquareRoot:
        return std::sqrt(linear);
    case IntensityScale::Logarithmic: {
        const double low = LogLow(*this);
        const double logSpan = std::log10(static_cast<double>(std::max(hi, 1))) - low;
        if (logSpan <= 0.0 || value <= 1)
            return value >= hi ? 1.0 : 0.0;
        return std::clamp((std::log10(static_cast<double>(value)) - low) / logSpan, 0.0, 1.0);
    }
    }
    return linear;
}

std::int32_t HistogramAxis::ValueAt(double position) const
{
    const double t = std::clamp(std::isfinite(position) ? position : 0.0, 0.0, 1.0);
    double value = lo;
    switch (scale) {
    case IntensityScale::Linear:
        value = lo + t * (static_cast<double>(hi) - lo);
        break;
    case IntensityScale::SquareRoot:
        value = lo + t * t * (static_cast<double>(hi) - lo);
        break;
    case IntensityScale::Logarithmic: {
        const double low = LogLow(*this);
        const double high = std::log10(static_cast<double>(std::max(hi, 1)));
        value = std::pow(10.0, low + t * (high - low));
        break;
    }
    }
    return static_cast<std::int32_t>(
        std::clamp(std::round(value), static_cast<double>(lo), static_cast<double>(hi)));
}

std::vector<std::int64_t> BinValues(std::span<const std::int32_t> values, const HistogramAxis& axis,
                                    int bins)
{
    std::vector<std::int64_t> counts(static_cast<std::size_t>(std::max(bins, 1)), 0);
    const auto last = static_cast<double>(counts.size() - 1);
    for (const std::int32_t v : values) {
        const double at = axis.PositionOf(v) * static_cast<double>(counts.size());
        ++counts[static_cast<std::size_t>(std::min(at, last))];
    }
    return counts;
}
