#include "document/PatternRange.h"

#include "document/CVespiraDoc.h"

#include <algorithm>

DrawnRange DrawnRangeOf(const CVespiraDoc& doc)
{
    if (doc.m_range.IsLocked())
        return *doc.m_range.Locked();
    return ResolveRange(doc.m_range.settings, doc.m_nMinIntensity, doc.m_nMaxIntensity,
                        doc.m_range.Summary());
}

bool RefreshRange(CVespiraDoc& doc)
{
    if (!doc.m_range.NeedsSummary() || !doc.m_range.IsStale())
        return false;
    const std::size_t count =
        std::min(doc.m_pIntensity.size(), static_cast<std::size_t>(std::max(doc.PointCount(), 0)));
    return doc.m_range.Refresh(std::span<const std::int32_t>(doc.m_pIntensity.data(), count));
}

std::vector<std::int32_t> MeasuredValuesOf(const CVespiraDoc& doc)
{
    const std::size_t count =
        std::min(doc.m_pIntensity.size(), static_cast<std::size_t>(std::max(doc.PointCount(), 0)));
    std::vector<std::int32_t> values;
    values.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        if (doc.m_range.IsMeasured(i))
            values.push_back(doc.m_pIntensity[i]);
    return values;
}

void SetRangeLocked(CVespiraDoc& doc, bool locked)
{
    if (locked == doc.m_range.IsLocked())
        return;
    if (locked)
        doc.m_range.Lock(DrawnRangeOf(doc));
    else
        doc.m_range.Unlock();
}
