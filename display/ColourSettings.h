#pragma once

#include "document/Colour.h"
#include "document/DisplaySettings.h"

#include <string>

class CVespiraDoc;
class IHostUi;

// Points not yet measured in a live or restored scan, unlike any colour of the built-in
// table's dark end, so they do not look like zero counts.
constexpr COLORREF kNotMeasuredColour = Rgb(160, 160, 160);

// The program's colours: the display settings every new or loaded pattern copies, and
// the colours of the frame, the targets, the collect marker and the texts.
struct ProgramColours
{
    DisplaySettings display;
    COLORREF border = Rgb(128, 0, 0);
    COLORREF selection = Rgb(0, 255, 255);
    COLORREF activeTarget = Rgb(255, 0, 0);
    COLORREF foreground = Rgb(0, 0, 0);
    COLORREF background = Rgb(255, 255, 255);
    COLORREF notMeasured = kNotMeasuredColour;
};

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

// At start-up, when stored settings existed: reads the table named by "LUT filename" and
// makes the colour table from it with the stored brightness and contrast.
void LoadStartupColours(DisplaySettings& display);

// After OK in the Color Intensity Scale dialog: when anything differs, stores the values
// in the document, reads its look-up table, recomputes its colours and makes them the
// program-wide ones (programWide). False (nothing done) when nothing differs; the caller
// then repaints nothing.
bool ApplyColourScaleChoice(CVespiraDoc& doc, DisplaySettings& programWide, IHostUi& ui,
                            const ColourScaleValues& values);

// After OK in the Color Intensity Scale dialog: a changed range becomes the document's and
// the program-wide one; false (nothing done) when it is the same.
bool ApplyRangeChoice(CVespiraDoc& doc, DisplaySettings& programWide, const RangeSettings& range);

// A brightness and contrast change dragged on the colour scale: the document's colours
// and the program-wide brightness, contrast and colours follow; the look-up table stays.
void SetDocumentBrightnessContrast(CVespiraDoc& doc, DisplaySettings& programWide, int brightness,
                                   int contrast);
