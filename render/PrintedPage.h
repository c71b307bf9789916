#pragma once

#include <QRect>

struct RenderContext;
class CVespiraDoc;
class QFont;
class QPaintDevice;
class QPainter;

// The page as printed: the print layout's 2048 x 2048 units scaled onto the page
// rectangle, black text on white, no background fill and no Y texts. `font` gives the
// family; its size is the print layout's own.
void DrawPrintedPage(QPainter& painter, const QRect& page, const CVespiraDoc& doc,
                     const RenderContext& context, const QFont& font);

// One page on a device (a printer, a PDF writer, an image), from the top left of its
// printable area; false when the device cannot be painted on.
bool PrintPatternPage(QPaintDevice& device, const CVespiraDoc& doc, const RenderContext& context,
                      const QFont& font);
