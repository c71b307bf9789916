#include "document/CTargetHistory.h"

#include <algorithm>
#include <bit>
#include <new>

namespace {

bool SameTime(float a, float b)
{
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

} // namespace

void CTargetHistory::Times::Assign(std::vector<float>&& values)
{
    const bool allEqual = std::adjacent_find(values.begin(), values.end(), [](float a, float b) {
                              return !SameTime(a, b);
                          }) == values.end();
    if (allEqual) {
        uniform = values.empty() ? 0.0f : values.front();
        each = {};
    } else {
        each = std::move(values);
        each.shrink_to_fit();
    }
}

CTargetHistory::CTargetHistory(std::size_t maxSteps, std::size_t maxPoints)
    : m_nMaxSteps(std::max<std::size_t>(maxSteps, 1)), m_nMaxPoints(maxPoints)
{
    Clear();
}

void CTargetHistory::Clear()
{
    m_steps.clear();
    m_nPosition = 0;
    m_nBaseState = m_nNextState++;
    m_nSavedState = kNoState;
    m_bOpen = false;
    m_bLost = false;
    m_open = {};
}

void CTargetHistory::Lose()
{
    m_bLost = true;
    m_open = {};
}

void CTargetHistory::Open(const QString& name)
{
    if (m_bOpen)
        Commit();
    m_bOpen = true;
    m_bLost = false;
    m_strOpenName = name;
    m_open.clear();
}

void CTargetHistory::Reserve(std::size_t count)
{
    if (!m_bOpen || m_bLost)
        return;
    if (count > m_nMaxPoints - std::min(m_nMaxPoints, m_open.size())) {
        Lose();
        return;
    }
    try {
        m_open.reserve(m_open.size() + count);
    } catch (const std::bad_alloc&) {
        Lose();
    }
}

void CTargetHistory::Record(std::int32_t index, float before, float after)
{
    if (!m_bOpen || m_bLost)
        return;
    if (m_open.size() >= m_nMaxPoints) {
        Lose();
        return;
    }
    try {
        m_open.push_back({index, before, after});
    } catch (const std::bad_alloc&) {
        Lose();
    }
}

bool CTargetHistory::Commit()
{
    if (!m_bOpen)
        return false;
    m_bOpen = false;
    std::vector<TargetChange> changes = std::move(m_open);
    m_open = {};
    if (!m_bLost) {
        try {
            return Keep(std::move(changes));
        } catch (const std::bad_alloc&) {
            m_bLost = true;
        }
    }
    changes = {};
    m_steps.clear();
    m_nPosition = 0;
    m_nBaseState = m_nNextState++;
    m_nSavedState = kNoState;
    m_bLost = false;
    return true;
}

bool CTargetHistory::Keep(std::vector<TargetChange>&& changes)
{
    const auto byIndex = [](const TargetChange& a, const TargetChange& b) {
        return a.index < b.index;
    };
    // Shapes record in grid order; a stroke may cross itself, and its points must keep the
    // order they were changed in.
    if (!std::is_sorted(changes.begin(), changes.end(), byIndex))
        std::stable_sort(changes.begin(), changes.end(), byIndex);

    Step step;
    step.name = m_strOpenName;
    std::vector<float> before;
    std::vector<float> after;
    for (std::size_t i = 0; i < changes.size();) {
        TargetChange merged = changes[i];
        while (++i < changes.size() && changes[i].index == merged.index)
            merged.after = changes[i].after;
        if (SameTime(merged.before, merged.after))
            continue;
        step.indices.push_back(merged.index);
        before.push_back(merged.before);
        after.push_back(merged.after);
    }
    if (step.indices.empty())
        return false;
    changes = {};
    step.indices.shrink_to_fit();
    step.before.Assign(std::move(before));
    step.after.Assign(std::move(after));
    step.state = m_nNextState++;

    m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(m_nPosition), m_steps.end());
    m_steps.push_back(std::move(step));
    while (m_steps.size() > m_nMaxSteps) {
        m_nBaseState = m_steps.front().state;
        m_steps.pop_front();
    }
    m_nPosition = m_steps.size();
    return true;
}

QString CTargetHistory::UndoName() const
{
    return CanUndo() ? m_steps[m_nPosition - 1].name : QString();
}

QString CTargetHistory::RedoName() const
{
    return CanRedo() ? m_steps[m_nPosition].name : QString();
}

std::vector<TargetChange> CTargetHistory::Changes(const Step& step)
{
    std::vector<TargetChange> changes(step.indices.size());
    for (std::size_t i = 0; i < changes.size(); ++i)
        changes[i] = {step.indices[i], step.before.At(i), step.after.At(i)};
    return changes;
}

std::vector<TargetChange> CTargetHistory::Undo()
{
    if (m_bOpen)
        Commit();
    if (!CanUndo())
        return {};
    --m_nPosition;
    return Changes(m_steps[m_nPosition]);
}

std::vector<TargetChange> CTargetHistory::Redo()
{
    if (m_bOpen)
        Commit();
    if (!CanRedo())
        return {};
    ++m_nPosition;
    return Changes(m_steps[m_nPosition - 1]);
}

std::uint64_t CTargetHistory::CurrentState() const
{
    return m_nPosition > 0 ? m_steps[m_nPosition - 1].state : m_nBaseState;
}

std::size_t CTargetHistory::MemoryBytes() const
{
    std::size_t bytes = 0;
    for (const Step& step : m_steps)
        bytes += sizeof(Step) + static_cast<std::size_t>(step.name.capacity()) * sizeof(QChar) +
                 step.indices.capacity() * sizeof(std::int32_t) +
                 (step.before.each.capacity() + step.after.each.capacity()) * sizeof(float);
    return bytes;
}
