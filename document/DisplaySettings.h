#pragma once

#include "document/Colour.h"
#include "document/IntensityRange.h"

// The colour settings of a pattern: the look-up table, the colour table made from it and
// the transform values. The program keeps one set that every new or loaded pattern copies.
struct DisplaySettings
{
    char szLutName[64] = "default";
    ColourTable lutColors = BuiltInColourTable();
    ColourTable displayColors = BuiltInColourTable();
    int nBrightness = 0;
    int nContrast = 0;
    int nHue = 0;
    int nSaturation = 0;
    RangeSettings range;
};
