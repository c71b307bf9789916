#pragma once

#include "document/IntensityRange.h"

#include <cstdint>
#include <vector>

class CVespiraDoc;

// The range and scale the pattern is drawn with, the same for the view, Copy, the printed
// page, the exports, the 3D plot and the live view in a browser: the locked range, or
// what the pattern's settings give over its measured points as last refreshed.
DrawnRange DrawnRangeOf(const CVespiraDoc& doc);

// Summarises the measured points anew when the range depends on them and points arrived
// or the settings changed since; true when the summary changed.
bool RefreshRange(CVespiraDoc& doc);

// The measured values of the pattern, in grid order.
std::vector<std::int32_t> MeasuredValuesOf(const CVespiraDoc& doc);

// Freezes the range drawn now, or frees it; a frozen range survives new points and
// changed settings until it is freed.
void SetRangeLocked(CVespiraDoc& doc, bool locked);
