#include "render/ViewLayout.h"

#include <algorithm>

namespace {

int PanelWidth(const LayoutConstants& k, int lineHeight, int statisticsWidth)
{
    return std::max(k.scaleWidth + lineHeight, statisticsWidth);
}

} // namespace

PatternLayout ComputeLayout(const LayoutConstants& k, int pageWidth, int pageHeight, int lineHeight,
                            int statisticsWidth, int visibleColumns, int visibleRows, int zoom)
{
    const int columns = std::max(visibleColumns, 1);
    const int rows = std::max(visibleRows, 1);
    const int panelWidth = PanelWidth(k, lineHeight, statisticsWidth);
    const int availableWidth = pageWidth - 2 * k.margin - panelWidth - k.gap - lineHeight;
    const int availableHeight = pageHeight - 2 * k.margin - lineHeight;
    const int largest = k.maxCellSize * std::clamp(zoom, 1, 8);
    const int cell =
        std::clamp(std::min(availableWidth / columns, availableHeight / rows), 1, largest);

    PatternLayout layout;
    layout.cellSize = cell;
    layout.lineHeight = lineHeight;
    const int imageLeft = lineHeight + k.margin;
    layout.image = QRect(imageLeft, k.margin, cell * columns, cell * rows);
    layout.bar = QRect(layout.image.right() + k.gap, k.margin, k.scaleWidth, k.scaleHeight);
    return layout;
}

QSize PageSizeForSinglePixelCells(const LayoutConstants& k, int lineHeight, int statisticsWidth,
                                  int visibleColumns, int visibleRows)
{
    const int columns = std::max(visibleColumns, 1);
    const int rows = std::max(visibleRows, 1);
    return {columns + 2 * k.margin + PanelWidth(k, lineHeight, statisticsWidth) + k.gap +
                lineHeight,
            rows + 2 * k.margin + lineHeight};
}
