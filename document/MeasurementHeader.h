#pragma once

#include <string>

// The measurement and background values of a pattern's header, as one value: the journal
// keeps it, a restored scan gets it back, a new pattern starts from the zero one.
struct MeasurementHeader
{
    float measTime = 0.0f;
    int kV = 0;
    int mA = 0;
    float detDistance = 0.0f;
    float beamX = 0.0f;
    float beamY = 0.0f;
    int imageSize = 0;
    std::string backgroundFile;
    float backgroundX = 0.0f;
    float backgroundY = 0.0f;
    int backgroundKV = 0;
    int backgroundMA = 0;
    float backgroundTime = 0.0f;
};
