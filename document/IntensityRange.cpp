#include "document/IntensityRange.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace {

// Bins of the histogram that finds a percentile; a bin holds one value when the measured
// values span no more than this.
constexpr std::int64_t kBins = 1 << 16;

bool Measured(std::span<const std::uint8_t> measured, std::size_t i)
{
    return measured.empty() || measured[i] != 0;
}

// The values of ranks lowRank and highRank: one pass counts the values into bins, the
// bins holding the ranks are found by their running counts, and when a bin holds more
// than one value the ranks are picked among that bin's values only.
void FindRanks(std::span<const std::int32_t> values, std::span<const std::uint8_t> measured,
               MeasuredSummary& s, std::int64_t lowRank, std::int64_t highRank)
{
    const std::int64_t span = static_cast<std::int64_t>(s.max) - s.min + 1;
    const std::int64_t bins = std::min(span, kBins);
    auto binOf = [&](std::int32_t v) {
        return static_cast<std::size_t>((static_cast<std::int64_t>(v) - s.min) * bins / span);
    };
    std::vector<std::int64_t> counts(static_cast<std::size_t>(bins), 0);
    for (std::size_t i = 0; i < values.size(); ++i)
        if (Measured(measured, i))
            ++counts[binOf(values[i])];

    struct Wanted
    {
        std::int64_t rank;
        std::size_t bin = 0;
        std::int64_t before = 0; // measured values in the bins below
        int* out;
    };
    Wanted wanted[2] = {{lowRank, 0, 0, &s.low}, {highRank, 0, 0, &s.high}};
    for (Wanted& w : wanted) {
        std::int64_t below = 0;
        std::size_t b = 0;
        while (below + counts[b] <= w.rank)
            below += counts[b++];
        w.bin = b;
        w.before = below;
    }
    for (Wanted& w : wanted) {
        if (span <= kBins) {
            *w.out = static_cast<int>(s.min + static_cast<std::int64_t>(w.bin));
            continue;
        }
        std::vector<std::int32_t> inBin;
        inBin.reserve(static_cast<std::size_t>(counts[w.bin]));
        for (std::size_t i = 0; i < values.size(); ++i)
            if (Measured(measured, i) && binOf(values[i]) == w.bin)
                inBin.push_back(values[i]);
        const auto nth = inBin.begin() + (w.rank - w.before);
        std::nth_element(inBin.begin(), nth, inBin.end());
        *w.out = *nth;
    }
}

} // namespace

bool IsValidRangeSettings(const RangeSettings& s)
{
    const int mode = static_cast<int>(s.mode);
    const int scale = static_cast<int>(s.scale);
    return mode >= 0 && mode <= 3 && scale >= 0 && scale <= 2 && s.fixedMin < s.fixedMax &&
           std::isfinite(s.percentile) && s.percentile >= 0.0 && s.percentile <= kMaxPercentile;
}

RangeSettings SoundRangeSettings(RangeSettings s)
{
    const RangeSettings defaults;
    if (static_cast<int>(s.mode) < 0 || static_cast<int>(s.mode) > 3)
        s.mode = defaults.mode;
    if (static_cast<int>(s.scale) < 0 || static_cast<int>(s.scale) > 2)
        s.scale = defaults.scale;
    if (s.fixedMin >= s.fixedMax) {
        s.fixedMin = defaults.fixedMin;
        s.fixedMax = defaults.fixedMax;
    }
    if (!std::isfinite(s.percentile) || s.percentile < 0.0 || s.percentile > kMaxPercentile)
        s.percentile = defaults.percentile;
    return s;
}

std::int64_t LowerPercentileRank(std::int64_t n, double percentile)
{
    if (n <= 0)
        return 0;
    const double p = std::clamp(std::isfinite(percentile) ? percentile : 0.0, 0.0, kMaxPercentile);
    const auto rank = static_cast<std::int64_t>(std::floor(p / 100.0 * static_cast<double>(n - 1)));
    return std::clamp<std::int64_t>(rank, 0, n - 1);
}

std::int64_t UpperPercentileRank(std::int64_t n, double percentile)
{
    return n <= 0 ? 0 : n - 1 - LowerPercentileRank(n, percentile);
}

MeasuredSummary SummariseMeasured(std::span<const std::int32_t> values,
                                  std::span<const std::uint8_t> measured, double percentile)
{
    MeasuredSummary s;
    s.percentile = percentile;
    if (!measured.empty() && measured.size() < values.size())
        values = values.first(measured.size());
    int lo = std::numeric_limits<int>::max();
    int hi = std::numeric_limits<int>::min();
    int positive = std::numeric_limits<int>::max();
    std::int64_t count = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!Measured(measured, i))
            continue;
        const int v = values[i];
        ++count;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        if (v > 0)
            positive = std::min(positive, v);
    }
    if (count == 0)
        return s;
    s.count = count;
    s.min = lo;
    s.max = hi;
    s.smallestPositive = positive == std::numeric_limits<int>::max() ? 0 : positive;
    FindRanks(values, measured, s, LowerPercentileRank(count, percentile),
              UpperPercentileRank(count, percentile));
    return s;
}

DrawnRange ResolveRange(const RangeSettings& settings, int risingMin, int risingMax,
                        const MeasuredSummary& summary)
{
    DrawnRange r;
    r.scale = settings.scale;
    r.rising = false;
    r.min = risingMin;
    r.max = risingMax;
    switch (settings.mode) {
    case RangeMode::RisingMaximum:
        r.rising = settings.scale == IntensityScale::Linear;
        break;
    case RangeMode::Fixed:
        r.min = settings.fixedMin;
        r.max = settings.fixedMax;
        break;
    case RangeMode::Automatic:
        if (summary.count > 0) {
            r.min = summary.min;
            r.max = summary.max;
        }
        break;
    case RangeMode::Percentile:
        if (summary.count > 0) {
            r.min = summary.low;
            r.max = summary.high;
        }
        break;
    }
    if (r.scale == IntensityScale::Logarithmic) {
        if (r.min <= 0)
            r.min = summary.smallestPositive > 0 ? summary.smallestPositive : 1;
        r.max = std::max(r.max, r.min);
    }
    return r;
}

void DocumentRange::ResetMeasured(std::size_t count, bool measured)
{
    m_measured = {};
    // Without memory for the marks every point counts as measured, as in a loaded file.
    if (!measured) {
        try {
            m_measured.assign(count, 0);
        } catch (const std::bad_alloc&) {
            m_measured = {};
        }
    }
    m_stale = true;
}

void DocumentRange::MarkMeasured(std::size_t index)
{
    if (index < m_measured.size())
        m_measured[index] = 1;
    m_stale = true;
}

bool DocumentRange::NeedsSummary() const
{
    return settings.mode == RangeMode::Automatic || settings.mode == RangeMode::Percentile ||
           settings.scale == IntensityScale::Logarithmic;
}

bool DocumentRange::Refresh(std::span<const std::int32_t> values)
{
    const MeasuredSummary fresh = SummariseMeasured(values, m_measured, settings.percentile);
    m_stale = false;
    m_summarised = settings;
    if (fresh == m_summary)
        return false;
    m_summary = fresh;
    return true;
}

void DocumentRange::Lock(const DrawnRange& shown)
{
    m_locked = shown;
    m_locked->locked = true;
}
