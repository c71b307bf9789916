#pragma once

class CVespiraDoc;

// The drawing operations that the instrument link, the document and the tools ask of a
// pattern view. Each changes one cell (or one panel) at once; RequestRepaint asks for
// a full repaint.
class IPatternView
{
public:
    virtual ~IPatternView() = default;
    virtual CVespiraDoc* GetDocument() const = 0;
    // The cell in its intensity colour.
    virtual void DrawCell(int col, int row) = 0;
    // The cell in the Selection colour.
    virtual void DrawTarget(int col, int row) = 0;
    // The cell in the ActiveTarget colour.
    virtual void DrawCollectMarker(int col, int row) = 0;
    // Every visible target in the Selection colour (the target overlay).
    virtual void DrawAllTargets() = 0;
    virtual void DrawStatistics() = 0;
    virtual void DrawColourScale() = 0;
    virtual void RequestRepaint() = 0;
};
