#pragma once

#include "document/CLiveScan.h"
#include "document/Colour.h"
#include "document/IHostUi.h"
#include "document/IPatternView.h"
#include "document/IScanJournal.h"
#include "document/ScanGrid.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class CVespiraDoc;

// The colour settings every new or loaded document copies.
struct DisplaySettings
{
    char szLutName[64] = "default";
    ColourTable lutColors = BuiltInColourTable();
    ColourTable displayColors = BuiltInColourTable();
    int nBrightness = 0;
    int nContrast = 0;
    int nHue = 0;
    int nSaturation = 0;
};

enum class DragMode
{
    None,
    Selecting,
    ScaleAdjust
};

struct GridPoint
{
    int x = 0;
    int y = 0;
};

// Fields of the Send-targets dialog, kept for the whole run and never stored.
struct JobFields
{
    char szJobName[80] = "";
    char szTitle[80] = "";
    char szSampleName[80] = "";
    int nSampleNumber = 0;
};

// Main window placement as stored between runs; left -1 means none stored.
struct WindowPlacement
{
    bool maximized = false;
    int left = -1;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct Plot3DSettings
{
    bool present = false; // set when stored values exist or the 3D dialog took new ones
    int contourLevels = 10;
    double perspective = 0.0;
    double xRotation = 0.0;
    double yRotation = 0.0;
    double zRotation = 0.0;
};

// Everything program-wide, in one object that the application owns and passes to what
// needs it. Members start at the program's start-up values.
class CProgramState
{
public:
    explicit CProgramState(IHostUi& ui) : ui(&ui) {}
    CProgramState(const CProgramState&) = delete;
    CProgramState& operator=(const CProgramState&) = delete;

    // Message boxes and wait cursor.
    IHostUi* ui;

    // The pattern that receives the instrument's scan.
    CLiveScan liveScan;

    // What the system reports free for new grids; tests set their own figure.
    std::function<std::optional<std::uint64_t>()> availableMemory = [] {
        return ReadAvailableMemory();
    };
    // Keeps received scans on disk until they are saved; none: scans are not journaled.
    IScanJournal* scanJournal = nullptr;

    // Colour scale range every grid starts with.
    int initialMinIntensity = 0;
    int initialMaxIntensity = 63;

    // Current display settings and colours (settings of the same names).
    DisplaySettings display;
    COLORREF border = Rgb(128, 0, 0);
    COLORREF selection = Rgb(0, 255, 255);
    COLORREF activeTarget = Rgb(255, 0, 0);
    COLORREF foreground = Rgb(0, 0, 0);
    COLORREF background = Rgb(255, 255, 255);
    bool paletteRealise = false;

    // Tools and view switches.
    int cursorType = 1;
    bool viewOverlay = true;
    bool viewHeader = false;
    int imageOrientation = 0;
    float defaultScanTime = 900.0f;
    DragMode dragMode = DragMode::None;
    GridPoint dragAnchor;
    GridPoint dragCurrent;

    JobFields job;
    WindowPlacement placement;
    Plot3DSettings plot3d;
};
