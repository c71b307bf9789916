// libFuzzer target: any text as vespira-rad's --range and --scale values, and any values
// as the measured points, must give valid settings or a refusal, and colour indices from
// 0 to 255, without a crash or undefined behaviour.
#include "display/ColourTransform.h"
#include "document/IntensityRange.h"
#include "tools/vespira-rad/RangeOptions.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = text.find('\n');
    RangeSettings settings;
    ParseRangeOption(text.substr(0, cut), settings);
    if (cut != std::string_view::npos)
        ParseScaleOption(text.substr(cut + 1, text.find('\n', cut + 1) - cut - 1), settings);
    if (!IsValidRangeSettings(settings))
        std::abort();

    // The same bytes as 32-bit values, every third one not measured.
    std::vector<std::int32_t> values(size / 4);
    if (!values.empty())
        std::memcpy(values.data(), data, values.size() * 4);
    std::vector<std::uint8_t> measured(values.size());
    for (std::size_t i = 0; i < measured.size(); ++i)
        measured[i] = i % 3 != 2;
    const MeasuredSummary summary = SummariseMeasured(values, measured, settings.percentile);
    if (summary.count > 0 &&
        (summary.low < summary.min || summary.high > summary.max || summary.low > summary.high))
        std::abort();
    const std::int32_t risingMax = values.empty() ? 63 : values[0];
    const DrawnRange range = ResolveRange(settings, 0, risingMax, summary);
    for (const std::int32_t v : values) {
        const int index = RangeColourIndex(v, range);
        if (index < 0 || index > 255)
            std::abort();
    }
    return 0;
}
