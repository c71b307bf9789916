#pragma once

#include "plot3d/IChart3D.h"

#include <string>

class CVespiraDoc;
struct Plot3DSettings;

// "X-axis  d = 0.5 [mm]": the axis name and its increment with the axis' decimal places.
std::string AxisTitle(const char* axisName, float increment);

// Fills the chart with a pattern: axis titles, the 101 fill-style colours from the
// document's colour table and the range they span (that of the 2D view), the stored view (only
// while settings.present), then the grid data in one batch, row 1 of the chart being the pattern's
// bottom row.
void LoadChart3D(IChart3D& chart, const CVespiraDoc& doc, const Plot3DSettings& settings);

// Takes the view the user left the chart in, to be applied to the next plot.
void ReadChart3DView(const IChart3D& chart, Plot3DSettings& settings);
