#pragma once

#include "display/ColourSettings.h"

// The colours the program would start with: those stored in its settings file, with the
// colour table made from the look-up table they name; the built-in ones without stored
// settings, and, saying so, when the file cannot be read.
ProgramColours ProgramColoursForExport();
