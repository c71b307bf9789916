#include "web/CScanRateMeter.h"

#include <cmath>

void CScanRateMeter::Sample(long long nowMs, long long received)
{
    if (!m_samples.empty() &&
        (received < m_samples.back().second || nowMs < m_samples.back().first))
        m_samples.clear();
    if (!m_samples.empty() && m_samples.back().second == received && m_samples.size() > 1 &&
        m_samples[m_samples.size() - 2].second == received)
        m_samples.back().first = nowMs;
    else
        m_samples.emplace_back(nowMs, received);
    while (m_samples.size() > 2 && nowMs - m_samples[1].first >= m_windowMs)
        m_samples.pop_front();
}

double CScanRateMeter::Rate() const
{
    if (m_samples.size() < 2)
        return 0.0;
    const auto& [t0, n0] = m_samples.front();
    const auto& [t1, n1] = m_samples.back();
    if (t1 - t0 < 1000)
        return 0.0;
    return static_cast<double>(n1 - n0) * 1000.0 / static_cast<double>(t1 - t0);
}

long long CScanRateMeter::EndMs(long long remaining) const
{
    const double rate = Rate();
    if (remaining <= 0 || rate <= 0.0 || m_samples.empty())
        return -1;
    return m_samples.back().first + std::llround(static_cast<double>(remaining) * 1000.0 / rate);
}
