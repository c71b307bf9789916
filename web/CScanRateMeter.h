#pragma once

#include <deque>
#include <utility>

// The rate of a scan over its last seconds, from samples of the points received, and the
// time its remaining points will take at that rate.
class CScanRateMeter
{
public:
    explicit CScanRateMeter(long long windowMs = 10000) : m_windowMs(windowMs) {}

    // received points at nowMs; a count that went down starts the meter again.
    void Sample(long long nowMs, long long received);
    void Reset() { m_samples.clear(); }
    // Points per second; 0 until two samples at least 1 s apart show a change.
    double Rate() const;
    // The estimated end in ms on the clock of the samples, or -1 while unknown.
    long long EndMs(long long remaining) const;

private:
    long long m_windowMs;
    std::deque<std::pair<long long, long long>> m_samples; // time, received
};
