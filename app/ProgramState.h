#pragma once

#include "app/ScreenPlacement.h"
#include "display/ColourSettings.h"
#include "document/ViewOptions.h"
#include "plot3d/Plot3DSettings.h"
#include "render/ToolState.h"

// What the application keeps for the whole run besides the documents' services, slice by
// slice: the settings file reads and writes it whole, everything else is handed the slice
// it needs.
struct ProgramState
{
    ProgramColours colours;
    ViewOptions view;
    ToolState tools;
    WindowPlacement placement;
    Plot3DSettings plot3d;
};
