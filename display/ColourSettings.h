#pragma once

#include <string>

class CProgramState;
class CVespiraDoc;

// What the Color Intensity Scale dialog edits.
struct ColourScaleValues
{
    int brightness = 0;
    int contrast = 0;
    int hue = 0;
    int saturation = 0;
    std::string lutName;
};

ColourScaleValues ColourScaleValuesOf(const CVespiraDoc& doc);

// True when the values differ from the document's (the name without regard to case).
bool ColourScaleDiffers(const CVespiraDoc& doc, const ColourScaleValues& values);

// On true-colour displays the colour table is drawn directly; loading the palette only
// asks the next repaint to take it up.
void LoadPalette(CProgramState& state);

// At start-up, when stored settings existed: reads the table named by "LUT filename" and
// makes the colour table from it with the stored brightness and contrast.
void LoadStartupColours(CProgramState& state);

// After OK in the Color Intensity Scale dialog: when anything differs, stores the values
// in the document, reads its look-up table, recomputes its colours and makes them the
// program-wide ones. False (nothing done) when nothing differs; the caller then repaints
// nothing.
bool ApplyColourScaleChoice(CVespiraDoc& doc, CProgramState& state,
                            const ColourScaleValues& values);

// A brightness and contrast change dragged on the colour scale: the document's colours
// and the program-wide brightness, contrast and colours follow; the look-up table stays.
void SetDocumentBrightnessContrast(CVespiraDoc& doc, CProgramState& state, int brightness,
                                   int contrast);
