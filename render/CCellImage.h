#pragma once

#include "display/ColourSettings.h"
#include "document/Colour.h"
#include "document/IntensityRange.h"
#include "render/CellPlacement.h"
#include "render/RenderContext.h"
#include "render/ToolState.h"

#include <QImage>

#include <optional>

class CVespiraDoc;

// The image's cells as shown, one pixel per visible grid point in screen order: the
// intensity colours with the target overlay, the collect marker and a pending Line or
// Rectangle over them. The view draws it scaled without smoothing; single-cell changes
// set one pixel.
class CCellImage
{
public:
    // Composes every cell from the document and what else the drawing reads.
    void Compose(const CVespiraDoc& doc, const RenderContext& context);

    // True when the image was composed for the document's current window, grid and the
    // orientation; single-cell changes then go to their pixel.
    bool Matches(const CVespiraDoc& doc, const RenderContext& context) const;
    // True when the intensity colours were computed with the document's current colour
    // table and drawn range (DrawnRangeOf); otherwise every cell must be composed anew.
    bool ColoursMatch(const CVespiraDoc& doc) const;

    // A visible cell in its intensity colour or in a fixed colour; false (nothing set) for
    // a point outside the window.
    bool SetIntensityColour(const CVespiraDoc& doc, int col, int row);
    bool SetColour(int col, int row, COLORREF colour);
    // A visible cell as composition draws it without the pending shape: the collect
    // marker, a target in the overlay colour, or its intensity colour.
    bool RestoreCell(const CVespiraDoc& doc, const RenderContext& context, int col, int row);

    // When only the pending Line or Rectangle moved since the image was composed, redraws
    // just the cells it left and entered and gives true; false (nothing done) otherwise.
    bool UpdatePendingShape(const CVespiraDoc& doc, const RenderContext& context);

    const QImage& Image() const { return m_image; }
    const CellWindow& Window() const { return m_window; }
    int Orientation() const { return m_orientation; }

private:
    // What a full composition drew besides the intensities, to tell a moved pending shape
    // from any other change.
    struct Inputs
    {
        bool overlay = false;
        COLORREF selection = 0;
        COLORREF activeTarget = 0;
        bool marker = false;
        int markerCol = 0;
        int markerRow = 0;
        unsigned generation = 0;
        ColourTable colours{};
        COLORREF notMeasured = 0;
        bool operator==(const Inputs&) const = default;
    };
    struct Pending
    {
        bool shown = false;
        CursorTool tool = CursorTool::Arrow;
        GridPoint anchor;
        GridPoint current;
    };
    static Inputs InputsOf(const CVespiraDoc& doc, const RenderContext& context);
    static Pending PendingOf(const ToolState& tools);

    Inputs m_inputs;
    Pending m_pending;
    QImage m_image;
    CellWindow m_window;
    int m_orientation = 0;
    int m_nx = 0;
    int m_ny = 0;
    const void* m_data = nullptr;
    DrawnRange m_range;
    ColourTable m_colours{};
    COLORREF m_notMeasured = 0;
};

// The pattern as the view colours it, for export: the whole grid in orientation "+X,+Y",
// each point a square of cellSize pixels, from the document's colour table and drawn
// range, points not yet measured in their colour, and the targets in the overlay colour
// when one is given. A null image when it cannot be made.
QImage RenderPatternImage(const CVespiraDoc& doc, int cellSize,
                          std::optional<COLORREF> overlay = std::nullopt,
                          COLORREF notMeasured = kNotMeasuredColour);
