#pragma once

#include <cmath>
#include <optional>

// The scan time a number gives a target: accepted when greater than 0.9 in single
// precision and finite (an infinite time would reach the instrument); none otherwise.
// The Selection Properties dialog, the target list and imported lists apply it alike.
inline std::optional<float> AcceptedScanTime(double number)
{
    const float time = static_cast<float>(number);
    if (number > static_cast<double>(0.9f) && std::isfinite(time))
        return time;
    return std::nullopt;
}
