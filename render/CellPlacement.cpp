#include "render/CellPlacement.h"

#include "document/CVespiraDoc.h"

#include <algorithm>

CellWindow VisibleWindowOf(const CVespiraDoc& doc)
{
    CellWindow w;
    const int nx = doc.m_nXPoints;
    const int ny = doc.m_nYPoints;
    const std::size_t count =
        static_cast<std::size_t>(std::max(nx, 0)) * static_cast<std::size_t>(std::max(ny, 0));
    if (nx <= 0 || ny <= 0 || doc.m_pIntensity.size() < count || doc.m_pScanTime.size() < count)
        return w;
    w.firstCol = std::clamp(doc.m_nFirstCol, 0, nx - 1);
    w.lastCol = std::clamp(doc.m_nLastCol, w.firstCol, nx - 1);
    w.firstRow = std::clamp(doc.m_nFirstRow, 0, ny - 1);
    w.lastRow = std::clamp(doc.m_nLastRow, w.firstRow, ny - 1);
    return w;
}

int NormalisedOrientation(int orientation)
{
    return orientation >= 0 && orientation <= 3 ? orientation : 0;
}

QPoint CellStep(const CellWindow& window, int orientation, int col, int row)
{
    const int dx = MirrorsX(orientation) ? window.lastCol - col : col - window.firstCol;
    const int dy = MirrorsY(orientation) ? window.lastRow - row : row - window.firstRow;
    return {dx, dy};
}

QRect CellRect(const ImagePlacement& placement, int col, int row)
{
    const QPoint step = CellStep(placement.window, placement.orientation, col, row);
    const int c = placement.cellSize;
    return {placement.image.left() + step.x() * c, placement.image.top() + step.y() * c, c, c};
}

bool HitTestGrid(const ImagePlacement& placement, int x, int y, int& col, int& row)
{
    const QRect& image = placement.image;
    if (placement.window.IsEmpty() || placement.cellSize < 1 || x < image.left() ||
        x > image.right() || y < image.top() || y > image.bottom())
        return false;
    const int dx = (x - image.left()) / placement.cellSize;
    const int dy = (y - image.top()) / placement.cellSize;
    const CellWindow& w = placement.window;
    const int c = MirrorsX(placement.orientation) ? w.lastCol - dx : w.firstCol + dx;
    const int r = MirrorsY(placement.orientation) ? w.lastRow - dy : w.firstRow + dy;
    // An image rectangle larger than the window (a stale layout) must not give a point
    // outside it.
    if (!w.Contains(c, r))
        return false;
    col = c;
    row = r;
    return true;
}

bool HitTestColourScale(const QRect& bar, int x, int y, int& sx, int& sy)
{
    sx = x - bar.left();
    sy = bar.bottom() - y;
    return x >= bar.left() && x <= bar.right() && y >= bar.top() && y <= bar.bottom();
}

VisibleRange ZoomRange(int count, int level, int centre)
{
    if (count <= 0)
        return {};
    if (level <= 1)
        return {0, count - 1};
    const long long scaled = static_cast<long long>(9 - std::min(level, 8)) * count / 8;
    // At least five points, but never more than the grid has.
    const int width = static_cast<int>(std::min<long long>(std::max<long long>(scaled, 5), count));
    int first = centre < 0 ? (count - width) / 2 : std::min(centre - width / 2, count - width);
    first = std::max(first, 0);
    return {first, first + width - 1};
}
