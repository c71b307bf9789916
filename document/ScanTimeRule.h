#pragma once

#include <cmath>
#include <optional>

// The longest scan time a target may have, in seconds: every total of a whole grid of
// such targets stays exact in whole seconds on the panel.
inline constexpr double kMaxScanTime = 1'000'000.0;

// What the user is told when a scan time is refused: the range, never a wrong reason.
inline constexpr char kScanTimeRangeMessage[] =
    "Scan time must be greater than 0.9 and at most 1000000 seconds";

// The scan time a number gives a target: accepted when greater than 0.9 in single
// precision and at most kMaxScanTime; none otherwise (also for NaN and infinities).
// The Selection Properties dialog, the target list and imported lists apply it alike.
inline std::optional<float> AcceptedScanTime(double number)
{
    if (number > static_cast<double>(0.9f) && number <= kMaxScanTime)
        return static_cast<float>(number);
    return std::nullopt;
}
