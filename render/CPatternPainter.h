#pragma once

#include "render/CellPlacement.h"
#include "render/RenderContext.h"
#include "render/ViewLayout.h"

#include <QColor>
#include <QFont>
#include <QRect>

class CVespiraDoc;
class QImage;
class QPainter;
class QString;

// Draws one pattern page, on screen or for a printer, into a painter: the image with its
// frame and axis texts, the colour scale, the statistics and the header panels. On
// screen only what meets the dirty rectangle is drawn; printing draws no background fill
// and no Y texts, in black on white.
class CPatternPainter
{
public:
    CPatternPainter(QPainter& painter, const CVespiraDoc& doc, const RenderContext& context,
                    const PatternLayout& layout, bool printing, const QFont& font);

    void SetDirty(const QRect& dirty) { m_dirty = dirty; }

    // The whole page, in the order of a full repaint, with the composed cells.
    void DrawPage(const QImage& cells, const CellWindow& window, int orientation);

    void FillBackground(int width, int height);
    void DrawImage(const QImage& cells, const CellWindow& window, int orientation);
    void DrawColourScale();
    void DrawStatistics();
    void DrawHeaderInfo();

    // Areas that single-cell changes invalidate.
    static QRect ColourScaleArea(const PatternLayout& layout, int pageWidth);
    static QRect StatisticsArea(const PatternLayout& layout, int textHeight, int pageWidth);

private:
    void DrawFrame(const QRect& inner);
    void DrawCells(const QImage& cells, const CellWindow& window);
    void DrawAxisTexts(const CellWindow& window, int orientation);
    void DrawText(int x, int y, const QString& text);
    void DrawUpwardText(int x, int y, const QString& text);
    bool Needs(const QRect& area) const { return m_printing || m_dirty.intersects(area); }

    QPainter& m_painter;
    const CVespiraDoc& m_doc;
    const RenderContext& m_context;
    const PatternLayout& m_layout;
    const bool m_printing;
    const QColor m_text;
    const QColor m_textBackground;
    const int m_bandHeight;
    QRect m_dirty;
};
