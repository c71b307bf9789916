#include "tools/vespira-rad/RangeOptions.h"

#include <algorithm>
#include <charconv>

namespace {

template <typename T>
bool WholeText(std::string_view text, T& out)
{
    if (text.empty())
        return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

bool ParseRangeOption(std::string_view text, RangeSettings& settings)
{
    RangeSettings parsed = settings;
    if (text == "rising") {
        parsed.mode = RangeMode::RisingMaximum;
    } else if (text == "auto") {
        parsed.mode = RangeMode::Automatic;
    } else if (text.starts_with("fixed:")) {
        const std::string_view limits = text.substr(6);
        const std::size_t colon = limits.find(':', 1);
        if (colon == std::string_view::npos ||
            !WholeText(limits.substr(0, colon), parsed.fixedMin) ||
            !WholeText(limits.substr(colon + 1), parsed.fixedMax) ||
            parsed.fixedMin >= parsed.fixedMax)
            return false;
        parsed.mode = RangeMode::Fixed;
    } else if (text.starts_with("percentile:")) {
        if (!WholeText(text.substr(11), parsed.percentile) || !(parsed.percentile >= 0.0) ||
            parsed.percentile > kMaxPercentile)
            return false;
        parsed.mode = RangeMode::Percentile;
    } else {
        return false;
    }
    settings = parsed;
    return true;
}

bool ParseScaleOption(std::string_view text, RangeSettings& settings)
{
    if (text == "linear")
        settings.scale = IntensityScale::Linear;
    else if (text == "sqrt")
        settings.scale = IntensityScale::SquareRoot;
    else if (text == "log")
        settings.scale = IntensityScale::Logarithmic;
    else
        return false;
    return true;
}

bool TakeRangeOptions(int& argc, char** argv, RangeSettings& settings, bool& found,
                      std::string& error)
{
    found = false;
    int kept = std::min(argc, 4);
    for (int i = kept; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option != "--range" && option != "--scale") {
            argv[kept++] = argv[i];
            continue;
        }
        found = true;
        if (i + 1 >= argc) {
            error = std::string(option) + " needs a value";
            return false;
        }
        const std::string_view value = argv[++i];
        if (option == "--range" && !ParseRangeOption(value, settings)) {
            error = "--range takes rising, auto, fixed:MIN:MAX (whole numbers, MIN below MAX) "
                    "or percentile:P (0 to 50), not " +
                    std::string(value);
            return false;
        }
        if (option == "--scale" && !ParseScaleOption(value, settings)) {
            error = "--scale takes linear, sqrt or log, not " + std::string(value);
            return false;
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    return true;
}
