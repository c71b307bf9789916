#pragma once

#include <QSize>

struct Plot3DSettings;

// The smallest window the chart and its buttons are usable in.
inline constexpr QSize kMinPlot3DWindowSize{480, 360};

// The size the 3D plot window opens at on a screen whose free area is available: the
// size it was last closed at, made to fit that area, or else two thirds of the area.
QSize Plot3DWindowSize(const Plot3DSettings& settings, const QSize& available);
