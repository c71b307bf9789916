#include "tools/orma-sim/SyntheticSample.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kOpenBeam = 20000.0;
constexpr double kDiscAbsorption = 0.35;     // per mm of thickness
constexpr double kInclusionAbsorption = 1.2; // added inside the inclusion

// Thickness of a sphere of radius r at distance d from its axis.
double Chord(double r, double d)
{
    return d < r ? 2.0 * std::sqrt(r * r - d * d) : 0.0;
}

} // namespace

CSyntheticSample::CSyntheticSample(double xMin, double xMax, double yMin, double yMax,
                                   std::uint32_t seed)
    : m_cx((xMin + xMax) / 2.0), m_cy((yMin + yMax) / 2.0),
      m_radius(0.4 * std::max(std::min(std::fabs(xMax - xMin), std::fabs(yMax - yMin)), 1e-6)),
      m_random(seed)
{}

std::int32_t CSyntheticSample::Intensity(double x, double y)
{
    const double dx = x - m_cx;
    const double dy = y - m_cy;
    const double unit = m_radius / 4.0; // thicknesses scale with the field
    const double disc = Chord(m_radius, std::hypot(dx, dy)) / unit;
    const double inclusionR = 0.3 * m_radius;
    const double inclusion =
        Chord(inclusionR, std::hypot(dx - 0.35 * m_radius, dy + 0.25 * m_radius)) / unit;
    const double mean =
        kOpenBeam * std::exp(-kDiscAbsorption * disc - kInclusionAbsorption * inclusion);
    std::poisson_distribution<std::int32_t> counts(std::max(mean, 1.0));
    return counts(m_random);
}
