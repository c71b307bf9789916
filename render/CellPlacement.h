#pragma once

#include <QPoint>
#include <QRect>

class CVespiraDoc;

// The part of the grid a view draws; never outside the grid it was made for.
struct CellWindow
{
    int firstCol = 0;
    int lastCol = -1;
    int firstRow = 0;
    int lastRow = -1;

    int Columns() const { return lastCol - firstCol + 1; }
    int Rows() const { return lastRow - firstRow + 1; }
    bool IsEmpty() const { return Columns() <= 0 || Rows() <= 0; }
    bool Contains(int col, int row) const
    {
        return col >= firstCol && col <= lastCol && row >= firstRow && row <= lastRow;
    }
    bool operator==(const CellWindow&) const = default;
};

// The document's visible window held inside its grid, so that drawing and hit tests can
// never address a point outside it; empty for a document without a grid.
CellWindow VisibleWindowOf(const CVespiraDoc& doc);

// Orientations 0 "+X,+Y", 1 "-X,+Y", 2 "-X,-Y", 3 "+X,-Y"; any other value draws as 0.
int NormalisedOrientation(int orientation);
inline bool MirrorsX(int orientation)
{
    const int o = NormalisedOrientation(orientation);
    return o == 1 || o == 2;
}
inline bool MirrorsY(int orientation)
{
    const int o = NormalisedOrientation(orientation);
    return o == 2 || o == 3;
}

// Column and row steps from the image's top-left cell to the cell of a visible point.
QPoint CellStep(const CellWindow& window, int orientation, int col, int row);

// The image as placed: its top-left pixel, cell size, window and orientation.
struct ImagePlacement
{
    QRect image; // all edges inclusive
    int cellSize = 1;
    CellWindow window;
    int orientation = 0;
};

// The pixels of a visible point's cell.
QRect CellRect(const ImagePlacement& placement, int col, int row);

// The grid point whose cell contains (x, y): the exact inverse of CellRect. False off the
// image (the frame included).
bool HitTestGrid(const ImagePlacement& placement, int x, int y, int& col, int& row);

// Offsets on the colour scale, right and upward from its bottom-left corner, given also
// outside it; true inside the scale, edges included.
bool HitTestColourScale(const QRect& bar, int x, int y, int& sx, int& sy);

// The columns (or rows) shown at a zoom level 1..8 around a centre (negative: none),
// always inside 0..count-1.
struct VisibleRange
{
    int first = 0;
    int last = -1;
};
VisibleRange ZoomRange(int count, int level, int centre);
