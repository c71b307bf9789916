#pragma once

#include "document/IntensityRange.h"

#include <string>
#include <string_view>

constexpr char kRangeUsage[] =
    "  export IN OUT.png|OUT.pdf [--range rising|auto|fixed:MIN:MAX|percentile:P]\n"
    "                       [--scale linear|sqrt|log]\n"
    "                       colour range and scale (default: rising, linear)\n";

// One --range value: "rising", "auto", "fixed:MIN:MAX" (whole numbers, MIN below MAX) or
// "percentile:P" (0 to 50). False, settings untouched, for anything else.
bool ParseRangeOption(std::string_view text, RangeSettings& settings);
// One --scale value: "linear", "sqrt" or "log".
bool ParseScaleOption(std::string_view text, RangeSettings& settings);

// Takes every "--range VALUE" and "--scale VALUE" out of the arguments after the first
// three (the command and two files), closing the gap, and sets them in settings. found
// tells whether any was given. False with the reason in error for a bad or missing value.
bool TakeRangeOptions(int& argc, char** argv, RangeSettings& settings, bool& found,
                      std::string& error);
