#pragma once

#include "render/CellPlacement.h"
#include "render/LineRule.h"
#include "render/ToolState.h"

#include <QString>
#include <QStringList>

#include <vector>

class CVespiraDoc;

// The status text for the grid point under the pointer, for none, or the brightness and
// contrast while they are dragged on the colour scale.
QString FormatStatusText(const CVespiraDoc& doc, DragMode dragMode, const GridPoint* point);
// The X of a column and the Y of a row as the status text shows them.
QString PointXText(const CVespiraDoc& doc, int col);
QString PointYText(const CVespiraDoc& doc, int row);

// The statistics panel's title; the layout leaves room for its width.
inline constexpr char kStatisticsTitle[] = "Selected Scans Statistics";
// The three lines of the "Selected Scans Statistics" panel.
QStringList StatisticsLines(const SelectionStatistics& stats);

// The lines of the "Header Information" panel, each with its distance from the bottom of
// the colour scale in line heights; the background block only with a background file.
struct PanelLine
{
    int line;
    QString text;
};
std::vector<PanelLine> HeaderLines(const CVespiraDoc& doc);

// The values along the image's edges and the increment captions, as drawn for the
// visible window in an orientation.
struct AxisTexts
{
    QString xLeft, xRight, xCaption;
    QString yBottom, yTop, yCaption;
};
AxisTexts MakeAxisTexts(const CVespiraDoc& doc, const CellWindow& window, int orientation);
inline const QString kShortXCaption = QStringLiteral("[mm]");

// Where the X texts go below an image with edges left, right and bottom and width w,
// from the measured sizes of the two values, the caption and "[mm]".
struct XAxisSizes
{
    int leftWidth, rightWidth;
    int captionWidth, captionHeight;
    int shortWidth, shortHeight;
};
struct XAxisPlacement
{
    QPoint left, right, caption;
    bool shortCaption = false;
};
XAxisPlacement PlaceXAxisTexts(const QRect& image, const XAxisSizes& sizes);

// Where the upward Y texts start left of the image (each runs upward from its point),
// from the height of "Mg" in the label font and the lengths of the texts. The caption is
// left out when it does not fit between the two values.
struct YAxisSizes
{
    int textHeight;
    int bottomLength, topLength, captionLength;
};
struct YAxisPlacement
{
    QPoint bottom, top, caption;
    bool captionShown = false;
};
YAxisPlacement PlaceYAxisTexts(const QRect& image, const YAxisSizes& sizes);
