#include "plot3d/AxisTicks.h"

#include "base/NumberText.h"

#include <algorithm>
#include <cmath>

namespace {

// A multiple of the step closer to an end than this share of a step would crowd its label.
constexpr double kEndRoom = 0.75;

// Decimals that show a step of this size: 0 for 1 and more, 1 for 0.5 or 0.2, ...
int DecimalsOf(double step)
{
    if (!(step > 0.0) || step >= 1.0)
        return 0;
    return std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 15);
}

// The smallest 1, 2 or 5 times a power of ten that is at least minimum.
double RoundStep(double minimum)
{
    double power = std::pow(10.0, std::floor(std::log10(minimum)));
    for (;;) {
        for (double factor : {1.0, 2.0, 5.0})
            if (factor * power >= minimum * (1.0 - 1e-12))
                return factor * power;
        power *= 10.0;
    }
}

} // namespace

std::string TickLabel(double value, int decimals)
{
    std::string text = FormatFixed(value, decimals);
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

AxisTicks ChooseAxisTicks(double low, double high, double resolution, int maxSegments)
{
    AxisTicks ticks;
    if (!std::isfinite(low) || !std::isfinite(high))
        return ticks;
    if (high < low)
        std::swap(low, high);
    if (!(resolution > 0.0) || !std::isfinite(resolution))
        resolution = 1.0;
    ticks.decimals = DecimalsOf(resolution);
    ticks.values.push_back(low);
    if (high == low)
        return ticks;

    const double step = RoundStep(std::max((high - low) / std::max(1, maxSegments), resolution));
    ticks.decimals = std::max(ticks.decimals, DecimalsOf(step));
    const double first = std::ceil(low / step);
    const double last = std::floor(high / step);
    for (double k = first; k <= last; ++k) {
        // Whole multiples of the step, so 0 is 0 and not a rounding error below it.
        const double value = k == 0.0 ? 0.0 : k * step;
        if (value - low >= kEndRoom * step && high - value >= kEndRoom * step)
            ticks.values.push_back(value);
    }
    ticks.values.push_back(high);

    // Ends closer than the printed precision: the high end's label stands alone.
    std::vector<double> distinct;
    std::string previous;
    for (std::size_t i = 0; i < ticks.values.size(); ++i) {
        const std::string label = TickLabel(ticks.values[i], ticks.decimals);
        if (!distinct.empty() && label == previous) {
            if (i + 1 == ticks.values.size())
                distinct.back() = ticks.values[i];
            continue;
        }
        distinct.push_back(ticks.values[i]);
        previous = label;
    }
    ticks.values = std::move(distinct);
    return ticks;
}
