#include "base/DecimalPlaces.h"

#include "base/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace {

// For steps where the rule cannot end: the fewest decimals (0..9) that print the step
// so that it reads back as the same single-precision value.
int ShortestRoundTripDecimals(float step)
{
    if (!std::isfinite(step))
        return 0;
    for (int n = 0; n <= 9; ++n) {
        const std::string text = FormatFixed(step, n);
        float back = 0.0f;
        std::from_chars(text.data(), text.data() + text.size(), back);
        if (back == step)
            return n;
    }
    return 9;
}

} // namespace

int DecimalPlaces(float step)
{
    if (!std::isfinite(step))
        return ShortestRoundTripDecimals(step);
    const double value = step;
    double scale = 1.0;
    for (int n = 0;; ++n) {
        const double scaled = value * scale + 0.5;
        // Past here the 32-bit truncation wraps and the rule would never end.
        if (scaled >= 2147483648.0 || scaled <= -2147483649.0)
            return ShortestRoundTripDecimals(step);
        const auto r = static_cast<std::int32_t>(static_cast<std::int64_t>(scaled));
        if (std::fabs(value - r / scale) < 0.000001)
            return n;
        scale *= 10.0;
    }
}
