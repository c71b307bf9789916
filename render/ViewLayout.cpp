#include "render/ViewLayout.h"

#include <algorithm>

PatternLayout ComputeLayout(const LayoutConstants& k, int pageWidth, int pageHeight, int lineHeight,
                            int statisticsWidth, int visibleColumns, int visibleRows)
{
    const int columns = std::max(visibleColumns, 1);
    const int rows = std::max(visibleRows, 1);
    const int panelWidth = std::max(k.scaleWidth + lineHeight, statisticsWidth);
    const int availableWidth = pageWidth - 2 * k.margin - panelWidth - k.gap - lineHeight;
    const int availableHeight = pageHeight - 2 * k.margin - lineHeight;
    const int cell =
        std::clamp(std::min(availableWidth / columns, availableHeight / rows), 1, k.maxCellSize);

    PatternLayout layout;
    layout.cellSize = cell;
    layout.lineHeight = lineHeight;
    const int imageLeft = lineHeight + k.margin;
    layout.image = QRect(imageLeft, k.margin, cell * columns, cell * rows);
    layout.bar = QRect(layout.image.right() + k.gap, k.margin, k.scaleWidth, k.scaleHeight);
    return layout;
}
