#include "render/PrintedPage.h"

#include "document/CVespiraDoc.h"
#include "render/CCellImage.h"
#include "render/CPatternPainter.h"
#include "render/ViewTexts.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>

namespace {

// Text height on the printed page, in units of the 2048-unit layout (about 10 points
// when the layout spans the width of a sheet).
constexpr int kPrintFontPixels = 36;

} // namespace

void DrawPrintedPage(QPainter& painter, const QRect& page, const CVespiraDoc& doc,
                     const RenderContext& context, const QFont& font)
{
    QFont printFont = font;
    printFont.setPixelSize(kPrintFontPixels);
    const QFontMetrics metrics(printFont);
    const CellWindow window = VisibleWindowOf(doc);
    const PatternLayout layout =
        ComputeLayout(kPrintLayout, kPrintPageSize, kPrintPageSize, metrics.height() + 1,
                      metrics.horizontalAdvance(QLatin1String(kStatisticsTitle)), window.Columns(),
                      window.Rows(), doc.m_nZoom);
    CCellImage cells;
    cells.Compose(doc, context);

    painter.save();
    painter.translate(page.topLeft());
    const double scale = std::min(page.width(), page.height()) / double(kPrintPageSize);
    painter.scale(scale, scale);
    CPatternPainter printed(painter, doc, context, layout, true, printFont);
    printed.DrawPage(cells.Image(), cells.Window(), cells.Orientation());
    painter.restore();
}

bool PrintPatternPage(QPaintDevice& device, const CVespiraDoc& doc, const RenderContext& context,
                      const QFont& font)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    DrawPrintedPage(painter, QRect(0, 0, device.width(), device.height()), doc, context, font);
    return painter.end();
}
