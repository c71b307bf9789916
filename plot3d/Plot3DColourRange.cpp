#include "plot3d/Plot3DColourRange.h"

#include "document/CVespiraDoc.h"

Plot3DColourRange ChartColourRange(const CVespiraDoc& doc)
{
    return {static_cast<double>(doc.m_nMinIntensity), static_cast<double>(doc.m_nMaxIntensity)};
}
