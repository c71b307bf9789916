#pragma once

#include "render/ToolState.h"
#include "view/ViewContext.h"

class CVespiraDoc;
class IPatternView;

// Where the pointer is, as the view's hit tests found it.
struct PointerSpot
{
    bool onGrid = false;
    GridPoint point; // column and row, when on the grid
    bool onScale = false;
    int sx = 0; // offsets on the colour scale (upward positive), also outside it
    int sy = 0;
};

// The selection tools and the brightness and contrast drag on the colour scale: what the
// left button, the pointer moves and a double-click do to the document's selection and
// colours. The gesture state is the program's (one for all views); the drawing goes
// through the view's single-cell and repaint operations.
class CSelectionTools
{
public:
    CSelectionTools(CVespiraDoc& doc, const ViewContext& context, IPatternView& view);

    void LeftPress(const PointerSpot& spot);
    // Any pointer move, with or without a button held.
    void PointerMove(const PointerSpot& spot);
    void LeftRelease(const PointerSpot& spot);
    // The second half of a double-click, after the right-press behaviour: the point
    // under the pointer takes the default scan time.
    void Retime(const PointerSpot& spot);
    // A right press on the grid: the zoom centre of the zoom commands.
    void SetZoomCentre(const PointerSpot& spot);
    // Ends a gesture whose release will never come (grab lost, focus lost, window
    // closed): a Line or Rectangle commits up to the last grid point passed, a
    // colour-scale drag keeps its last values; then nothing is under way any more.
    void EndLostGesture();

private:
    bool HasSelection() const;
    void ShowStatus(const GridPoint* point) const;
    void Stamp();
    // The single-point writes of the press, shared by moves and releases.
    void ErasePoint(GridPoint point);
    void SelectPoint(GridPoint point);
    // The commit of a Line or Rectangle from the anchor to the end point.
    void CommitShape(GridPoint end);
    // New brightness and contrast from the offsets; true when they changed.
    bool AdjustScale(int sx, int sy, bool showStatus);

    CVespiraDoc& m_doc;
    const ViewContext m_context;
    ToolState& m_tools;
    IPatternView& m_view;
};
