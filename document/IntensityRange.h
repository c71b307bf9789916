#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// How a pattern's colour range follows its data.
enum class RangeMode
{
    RisingMaximum = 0, // from the initial minimum to a maximum that only rises
    Fixed = 1,         // typed in; does not move while points arrive
    Automatic = 2,     // minimum and maximum of the measured points
    Percentile = 3,    // the p-th and (100 - p)-th percentiles of the measured points
};

enum class IntensityScale
{
    Linear = 0,
    SquareRoot = 1,
    Logarithmic = 2,
};

// The range a pattern asks for; the program keeps one that every new pattern copies.
struct RangeSettings
{
    RangeMode mode = RangeMode::RisingMaximum;
    IntensityScale scale = IntensityScale::Linear;
    int fixedMin = 0;
    int fixedMax = 63;
    double percentile = 1.0;
    bool operator==(const RangeSettings&) const = default;
};

// The largest percentile p: the lower and upper percentiles meet at the median.
constexpr double kMaxPercentile = 50.0;

// True when every value is one the range can use (a known mode and scale, a fixed minimum
// below its maximum, 0 <= p <= 50).
bool IsValidRangeSettings(const RangeSettings& settings);
// The settings with each bad value (an unknown mode or scale, fixed limits out of order, a
// percentile outside 0 to 50) replaced by its default.
RangeSettings SoundRangeSettings(RangeSettings settings);

// The range and scale a pattern is drawn with. `rising` marks today's rule of the Rising
// maximum in linear scale, index = (v - min) * 255 / max, kept exactly.
struct DrawnRange
{
    int min = 0;
    int max = 63;
    IntensityScale scale = IntensityScale::Linear;
    bool rising = true;
    bool locked = false;
    bool operator==(const DrawnRange&) const = default;
};

// What the measured points hold. Percentiles are those of the last summary's p.
struct MeasuredSummary
{
    std::int64_t count = 0;
    int min = 0;
    int max = 0;
    int smallestPositive = 0; // 0 when no measured point is above 0
    int low = 0;              // p-th percentile
    int high = 0;             // (100 - p)-th percentile
    double percentile = 1.0;
    bool operator==(const MeasuredSummary&) const = default;
};

// The value of rank `rank` (0-based) among the measured values; a histogram of the values
// finds its bin, so no copy of the data is sorted. measured is empty when every value is
// measured; otherwise one byte per value, non-zero when measured.
MeasuredSummary SummariseMeasured(std::span<const std::int32_t> values,
                                  std::span<const std::uint8_t> measured, double percentile);

// The rank, among n sorted values, of the p-th percentile (nearest rank below) and of the
// (100 - p)-th (nearest rank above), so the pair is symmetric.
std::int64_t LowerPercentileRank(std::int64_t n, double percentile);
std::int64_t UpperPercentileRank(std::int64_t n, double percentile);

// The range the settings give over the measured points; risingMin and risingMax are the
// pattern's Rising-maximum range, used also while nothing is measured. In the log scale a
// minimum of 0 or below becomes the smallest positive measured value (1 when there is
// none), and a maximum below the minimum is raised to it.
DrawnRange ResolveRange(const RangeSettings& settings, int risingMin, int risingMax,
                        const MeasuredSummary& summary);

// A pattern's range state: its settings, which points have been measured, the summary of
// the measured points as last refreshed, and the range a lock froze.
class DocumentRange
{
public:
    RangeSettings settings;

    // Every point measured (a loaded pattern) or none (a new grid).
    void ResetMeasured(std::size_t count, bool measured);
    void MarkMeasured(std::size_t index);
    bool IsMeasured(std::size_t index) const
    {
        return m_measured.empty() || (index < m_measured.size() && m_measured[index] != 0);
    }
    bool AllMeasured() const { return m_measured.empty(); }
    // Empty when every point is measured.
    std::span<const std::uint8_t> MeasuredMask() const { return m_measured; }

    // True when the range depends on the measured values beyond the rising maximum.
    bool NeedsSummary() const;
    // True when points arrived or the settings changed since the last Refresh.
    bool IsStale() const { return m_stale || !(m_summarised == settings); }
    // Summarises the measured values anew; true when the summary changed.
    bool Refresh(std::span<const std::int32_t> values);
    const MeasuredSummary& Summary() const { return m_summary; }

    void Lock(const DrawnRange& shown);
    void Unlock() { m_locked.reset(); }
    bool IsLocked() const { return m_locked.has_value(); }
    const std::optional<DrawnRange>& Locked() const { return m_locked; }

private:
    std::vector<std::uint8_t> m_measured;
    MeasuredSummary m_summary;
    RangeSettings m_summarised;
    bool m_stale = true;
    std::optional<DrawnRange> m_locked;
};
