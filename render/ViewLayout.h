#pragma once

#include <QRect>
#include <QSize>

// The constants of one layout: the screen's in pixels, the printed page's in units of
// a 2048 x 2048 area.
struct LayoutConstants
{
    int margin;      // top edge to image and scale; left edge to the Y texts
    int gap;         // image's right edge to the colour scale
    int scaleWidth;  // colour scale
    int scaleHeight; // colour scale, 128 bands
    int maxCellSize;
    int bandHeight;
};

inline constexpr LayoutConstants kScreenLayout{20, 15, 30, 128, 64, 1};
inline constexpr LayoutConstants kPrintLayout{120, 45, 90, 384, 128, 3};
inline constexpr int kPrintPageSize = 2048;
inline constexpr int kScaleBands = 128;

// Where the image and the colour scale lie; rectangles with all edges inclusive.
struct PatternLayout
{
    int cellSize = 1;
    int lineHeight = 0;
    QRect image;
    QRect bar;
};

// The layout of a page: the cell size is the largest that fits the visible window
// beside the panels, held to 1..maxCellSize times the zoom level, so that a step in
// never shrinks the cells. statisticsWidth is the measured width of the statistics
// panel's title.
PatternLayout ComputeLayout(const LayoutConstants& k, int pageWidth, int pageHeight, int lineHeight,
                            int statisticsWidth, int visibleColumns, int visibleRows, int zoom = 1);

// The smallest page on which the visible window fits with cells of one pixel, its axes
// and panels beside it: a view smaller than that must scroll.
QSize PageSizeForSinglePixelCells(const LayoutConstants& k, int lineHeight, int statisticsWidth,
                                  int visibleColumns, int visibleRows);
