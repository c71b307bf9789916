#include "render/CPatternPainter.h"

#include "base/NumberText.h"
#include "display/ColourSettings.h"
#include "display/ColourTransform.h"
#include "document/CVespiraDoc.h"
#include "document/PatternRange.h"
#include "document/ViewOptions.h"
#include "render/LineRule.h"
#include "render/RangeTexts.h"
#include "render/ViewTexts.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

CPatternPainter::CPatternPainter(QPainter& painter, const CVespiraDoc& doc,
                                 const RenderContext& context, const PatternLayout& layout,
                                 bool printing, const QFont& font)
    : m_painter(painter), m_doc(doc), m_context(context), m_layout(layout), m_printing(printing),
      m_text(printing ? QColor(Qt::black) : ToQColor(context.colours.foreground)),
      m_textBackground(printing ? QColor(Qt::white) : ToQColor(context.colours.background)),
      m_bandHeight(printing ? kPrintLayout.bandHeight : kScreenLayout.bandHeight)
{
    m_painter.setFont(font);
    m_painter.setPen(m_text);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    // A PDF engine would otherwise store the cells as JPEG, which bleeds neighbouring
    // colours into each other and turns a single target into a smudge.
    m_painter.setRenderHint(QPainter::LosslessImageRendering, printing);
}

void CPatternPainter::DrawPage(const QImage& cells, const CellWindow& window, int orientation)
{
    DrawImage(cells, window, orientation);
    DrawColourScale();
    DrawStatistics();
    if (m_context.options.header)
        DrawHeaderInfo();
}

void CPatternPainter::FillBackground(int width, int height)
{
    m_painter.fillRect(QRect(0, 0, width, height).intersected(m_dirty), m_textBackground);
}

void CPatternPainter::DrawFrame(const QRect& inner)
{
    const QColor border = ToQColor(m_context.colours.border);
    // On screen the 3-pixel Border pen runs one pixel outside the rectangle: two pixels
    // show outside it and the corners are set apart. A printer's pen is one unit wide.
    if (m_printing) {
        m_painter.fillRect(inner.adjusted(-1, -1, 1, 1), Qt::black);
        for (const QPoint& corner :
             {inner.topLeft() + QPoint(-2, -2), inner.topRight() + QPoint(2, -2),
              inner.bottomRight() + QPoint(2, 2), inner.bottomLeft() + QPoint(-2, 2)})
            m_painter.fillRect(QRect(corner, QSize(1, 1)), border);
    } else {
        m_painter.fillRect(inner.adjusted(-2, -2, 2, 2), border);
    }
}

void CPatternPainter::DrawImage(const QImage& cells, const CellWindow& window, int orientation)
{
    if (window.IsEmpty() || cells.isNull())
        return;
    const QRect& image = m_layout.image;
    if (Needs(image.adjusted(-2, -2, 2, 2))) {
        DrawFrame(image);
        DrawCells(cells, window);
    }
    DrawAxisTexts(window, orientation);
}

void CPatternPainter::DrawCells(const QImage& cells, const CellWindow& window)
{
    const QRect& image = m_layout.image;
    const int c = m_layout.cellSize;
    // Only the cells that meet the dirty area, so that one cell costs one cell.
    const QRect area = m_printing ? image : image.intersected(m_dirty);
    if (area.isEmpty())
        return;
    const int dx0 = (area.left() - image.left()) / c;
    const int dy0 = (area.top() - image.top()) / c;
    const int dx1 = std::min((area.right() - image.left()) / c, window.Columns() - 1);
    const int dy1 = std::min((area.bottom() - image.top()) / c, window.Rows() - 1);
    const QRect source(QPoint(dx0, dy0), QPoint(dx1, dy1));
    const QRect target(image.left() + dx0 * c, image.top() + dy0 * c, source.width() * c,
                       source.height() * c);
    if (!m_printing) {
        m_painter.drawImage(target, cells, source);
        return;
    }
    // A printer or PDF viewer enlarging one pixel per cell may smooth it; enlarged here
    // without smoothing, each cell reaches it as a block of cellSize units of one colour.
    m_painter.drawImage(
        target.topLeft(),
        cells.copy(source).scaled(target.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

void CPatternPainter::DrawAxisTexts(const CellWindow& window, int orientation)
{
    const QRect& image = m_layout.image;
    const QFontMetrics metrics = m_painter.fontMetrics();
    const AxisTexts texts = MakeAxisTexts(m_doc, window, orientation);

    // A caption too wide for a small image reaches past its right edge.
    const QRect below(0, image.bottom() + 1, std::max(m_painter.device()->width(), image.right()),
                      3 + 2 * metrics.height() + 1);
    if (Needs(below)) {
        const XAxisSizes sizes{
            metrics.horizontalAdvance(texts.xLeft),    metrics.horizontalAdvance(texts.xRight),
            metrics.horizontalAdvance(texts.xCaption), metrics.height(),
            metrics.horizontalAdvance(kShortXCaption), metrics.height()};
        const XAxisPlacement place = PlaceXAxisTexts(image, sizes);
        DrawText(place.left.x(), place.left.y(), texts.xLeft);
        DrawText(place.right.x(), place.right.y(), texts.xRight);
        DrawText(place.caption.x(), place.caption.y(),
                 place.shortCaption ? kShortXCaption : texts.xCaption);
    }

    // A printed page has no Y texts.
    const QRect left(0, 0, image.left(), image.bottom() + 1);
    if (m_printing || !Needs(left))
        return;
    const YAxisSizes sizes{metrics.height(), metrics.horizontalAdvance(texts.yBottom),
                           metrics.horizontalAdvance(texts.yTop),
                           metrics.horizontalAdvance(texts.yCaption)};
    const YAxisPlacement place = PlaceYAxisTexts(image, sizes);
    DrawUpwardText(place.bottom.x(), place.bottom.y(), texts.yBottom);
    DrawUpwardText(place.top.x(), place.top.y(), texts.yTop);
    if (place.captionShown)
        DrawUpwardText(place.caption.x(), place.caption.y(), texts.yCaption);
}

void CPatternPainter::DrawColourScale()
{
    const QRect& bar = m_layout.bar;
    const QFontMetrics metrics = m_painter.fontMetrics();
    if (!Needs(ColourScaleArea(m_layout, m_painter.device()->width())))
        return;
    DrawFrame(bar);
    const int h = m_bandHeight;
    for (int i = 0; i < kScaleBands; ++i) {
        const int bottom = bar.bottom() - i * h;
        m_painter.fillRect(QRect(bar.left(), bottom - h + 1, bar.width(), h),
                           ToQColor(m_doc.m_DisplayColors[static_cast<std::size_t>(2 * i)]));
    }
    const int t = metrics.height();
    const DrawnRange range = DrawnRangeOf(m_doc);
    const int minTop = bar.bottom() - t + 4;
    const int maxTop = bar.top() - 3;
    DrawText(bar.right() + 3, minTop, QString::fromStdString(FormatInt(range.min)));
    DrawText(bar.right() + 3, maxTop, ColourScaleTopText(range));
    // Each decade gets a tick; its label only where it overlaps no other label.
    int labelAbove = minTop;
    for (const ScaleTick& tick : DecadeTicks(range)) {
        const int y = bar.bottom() - static_cast<int>(tick.height * (bar.height() - 1) + 0.5);
        m_painter.fillRect(QRect(bar.right() + 3, y, 3, 1), m_text);
        const int top = y - t / 2;
        if (top + t <= labelAbove && top >= maxTop + t) {
            DrawText(bar.right() + 7, top, QString::fromStdString(FormatInt(tick.value)));
            labelAbove = top;
        }
    }
}

void CPatternPainter::DrawStatistics()
{
    const int h = m_layout.lineHeight;
    const QFontMetrics metrics = m_painter.fontMetrics();
    if (!Needs(StatisticsArea(m_layout, metrics.height(), m_painter.device()->width())))
        return;
    const QStringList lines = StatisticsLines(ComputeSelectionStatistics(m_doc, m_context.tools));
    for (int i = 0; i < lines.size(); ++i)
        DrawText(m_layout.bar.left(), m_layout.bar.bottom() + (i + 1) * h, lines[i]);
}

void CPatternPainter::DrawHeaderInfo()
{
    const int h = m_layout.lineHeight;
    const int y0 = m_layout.bar.bottom();
    for (const PanelLine& line : HeaderLines(m_doc)) {
        const QRect area(m_layout.bar.left(), y0 + line.line * h, m_painter.device()->width(), h);
        if (Needs(area))
            DrawText(m_layout.bar.left(), y0 + line.line * h, line.text);
    }
}

QRect CPatternPainter::ColourScaleArea(const PatternLayout& layout, int pageWidth)
{
    // The frame, and the labels from three pixels above the scale to four below it.
    const QRect& bar = layout.bar;
    return QRect(QPoint(bar.left() - 2, bar.top() - 3),
                 QPoint(std::max(pageWidth, bar.right() + 3), bar.bottom() + 4));
}

QRect CPatternPainter::StatisticsArea(const PatternLayout& layout, int textHeight, int pageWidth)
{
    const int h = layout.lineHeight;
    const int y0 = layout.bar.bottom();
    return QRect(QPoint(layout.bar.left(), y0 + h),
                 QPoint(std::max(pageWidth, layout.bar.right()), y0 + 3 * h + textHeight));
}

void CPatternPainter::DrawText(int x, int y, const QString& text)
{
    const QFontMetrics metrics = m_painter.fontMetrics();
    // Each text stands on its own box of the background colour.
    m_painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()),
                       m_textBackground);
    m_painter.drawText(x, y + metrics.ascent(), text);
}

void CPatternPainter::DrawUpwardText(int x, int y, const QString& text)
{
    m_painter.save();
    m_painter.translate(x, y);
    m_painter.rotate(-90.0);
    DrawText(0, 0, text);
    m_painter.restore();
}
