#include "document/IntensityRange.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace {

bool Measured(std::span<const std::uint8_t> measured, std::size_t i)
{
    return measured.empty() || measured[i] != 0;
}

constexpr std::size_t kBins = 1 << 16;

// A value as an unsigned number in the same order, so its high 16 bits name its bin.
std::uint32_t Ordered(std::int32_t v)
{
    return static_cast<std::uint32_t>(v) ^ 0x80000000u;
}

// The values of ranks lowRank and highRank from the counts of the measured values' high
// 16 bits (in Ordered form): the bin of each rank is found by the running counts, and the
// low 16 bits of the values in that bin only are counted to find the value. No sort.
void FindRanks(std::span<const std::int32_t> values, std::span<const std::uint8_t> measured,
               const std::vector<std::int64_t>& high, MeasuredSummary& s, std::int64_t lowRank,
               std::int64_t highRank)
{
    struct Wanted
    {
        std::int64_t rank;
        int* out;
        std::uint32_t bin = 0;
        std::int64_t below = 0; // measured values in the bins below
    };
    Wanted wanted[2] = {{lowRank, &s.low}, {highRank, &s.high}};
    for (Wanted& w : wanted) {
        std::uint32_t b = 0;
        std::int64_t below = 0;
        while (below + high[b] <= w.rank)
            below += high[b++];
        w.bin = b;
        w.below = below;
    }
    // Both ranks' bins counted in one pass; the same bin is counted once.
    const bool same = wanted[0].bin == wanted[1].bin;
    std::vector<std::int64_t> low0(kBins, 0);
    std::vector<std::int64_t> low1(same ? 0 : kBins, 0);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!Measured(measured, i))
            continue;
        const std::uint32_t u = Ordered(values[i]);
        if (u >> 16 == wanted[0].bin)
            ++low0[u & 0xFFFFu];
        else if (!same && u >> 16 == wanted[1].bin)
            ++low1[u & 0xFFFFu];
    }
    for (int k = 0; k < 2; ++k) {
        Wanted& w = wanted[k];
        const std::vector<std::int64_t>& low = k == 0 || same ? low0 : low1;
        std::uint32_t b = 0;
        std::int64_t below = w.below;
        while (below + low[b] <= w.rank)
            below += low[b++];
        *w.out = static_cast<std::int32_t>(Ordered(static_cast<std::int32_t>((w.bin << 16) | b)));
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
    std::vector<std::int64_t> high(kBins, 0);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!Measured(measured, i))
            continue;
        const int v = values[i];
        ++count;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        if (v > 0)
            positive = std::min(positive, v);
        ++high[Ordered(v) >> 16];
    }
    if (count == 0)
        return s;
    s.count = count;
    s.min = lo;
    s.max = hi;
    s.smallestPositive = positive == std::numeric_limits<int>::max() ? 0 : positive;
    FindRanks(values, measured, high, s, LowerPercentileRank(count, percentile),
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
