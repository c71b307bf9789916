#pragma once

#include <cstdint>
#include <random>

// A sample worth looking at: a disc that absorbs part of the beam with a denser
// inclusion off its centre, on an open beam, with Poisson counting noise. Positions
// are in mm; the disc fills the middle of the given field.
class CSyntheticSample
{
public:
    CSyntheticSample(double xMin, double xMax, double yMin, double yMax, std::uint32_t seed);

    // Counts measured at one stage position.
    std::int32_t Intensity(double x, double y);

private:
    double m_cx;
    double m_cy;
    double m_radius;
    std::mt19937 m_random;
};
