#include "display/dialogs/CRangeHistogram.h"

#include "display/ColourTransform.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// How near the pointer must be to a handle to take it.
constexpr int kGrip = 5;

} // namespace

CRangeHistogram::CRangeHistogram(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(264, 96);
    setMouseTracking(false);
    setToolTip(QStringLiteral("Drag the handles to set a fixed range"));
}

void CRangeHistogram::SetValues(std::vector<std::int32_t> values)
{
    m_values = std::move(values);
    const auto [lo, hi] = std::minmax_element(m_values.begin(), m_values.end());
    m_dataMin = m_values.empty() ? 0 : *lo;
    m_dataMax = m_values.empty() ? 0 : *hi;
    Rebin();
}

void CRangeHistogram::SetColours(const ColourTable& colours)
{
    m_colours = colours;
    update();
}

void CRangeHistogram::SetRange(const DrawnRange& range)
{
    const bool axisMoves =
        range.scale != m_range.scale || range.min < m_axis.lo || range.max > m_axis.hi;
    m_range = range;
    if (axisMoves || m_dragging == Handle::None)
        Rebin();
    update();
}

void CRangeHistogram::Rebin()
{
    m_axis.scale = m_range.scale;
    m_axis.lo = std::min(m_dataMin, m_range.min);
    m_axis.hi = std::max({m_dataMax, m_range.max, m_axis.lo + 1});
    m_counts = BinValues(m_values, m_axis, PlotWidth());
    update();
}

int CRangeHistogram::XOf(std::int32_t value) const
{
    return PlotLeft() + static_cast<int>(std::lround(m_axis.PositionOf(value) * (PlotWidth() - 1)));
}

void CRangeHistogram::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Rebin();
}

void CRangeHistogram::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const int bottom = height() - 10;
    const int plotHeight = std::max(bottom - 4, 1);
    // Counts on a log axis, so a few points of a rare value still show beside the many.
    const std::int64_t most =
        m_counts.empty() ? 0 : *std::max_element(m_counts.begin(), m_counts.end());
    const double top = std::log1p(static_cast<double>(most));
    for (std::size_t i = 0; i < m_counts.size(); ++i) {
        if (m_counts[i] == 0 || top <= 0.0)
            continue;
        const int h = std::max(
            1, static_cast<int>(plotHeight * std::log1p(static_cast<double>(m_counts[i])) / top));
        const double middle = (static_cast<double>(i) + 0.5) / static_cast<double>(m_counts.size());
        const int index = RangeColourIndex(m_axis.ValueAt(middle), m_range);
        painter.fillRect(PlotLeft() + static_cast<int>(i), bottom - h + 1, 1, h,
                         ToQColor(m_colours[static_cast<std::size_t>(index)]));
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawLine(PlotLeft(), bottom + 1, PlotLeft() + PlotWidth() - 1, bottom + 1);
    for (const int value : {m_range.min, m_range.max}) {
        const int x = XOf(value);
        painter.drawLine(x, 2, x, bottom);
        const QPoint tip[3] = {{x, bottom + 2}, {x - 4, height() - 1}, {x + 4, height() - 1}};
        painter.setBrush(palette().color(QPalette::WindowText));
        painter.drawPolygon(tip, 3);
    }
}

void CRangeHistogram::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int x = event->position().toPoint().x();
    const int toMin = std::abs(x - XOf(m_range.min));
    const int toMax = std::abs(x - XOf(m_range.max));
    if (std::min(toMin, toMax) > kGrip)
        return;
    // Handles on top of each other: the one on the side the pointer is on.
    m_dragging = toMin < toMax || (toMin == toMax && x < XOf(m_range.min)) ? Handle::Minimum
                                                                           : Handle::Maximum;
}

void CRangeHistogram::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging == Handle::None)
        return;
    const double position =
        static_cast<double>(event->position().toPoint().x() - PlotLeft()) / (PlotWidth() - 1);
    const std::int32_t value = m_axis.ValueAt(position);
    // In 64 bits: the other limit may be a 32-bit end.
    long long minimum = m_range.min;
    long long maximum = m_range.max;
    if (m_dragging == Handle::Minimum)
        minimum = std::min<long long>(value, maximum - 1);
    else
        maximum = std::max<long long>(value, minimum + 1);
    if (minimum < INT32_MIN || maximum > INT32_MAX)
        return;
    emit limitsDragged(static_cast<int>(minimum), static_cast<int>(maximum));
}

void CRangeHistogram::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_dragging != Handle::None) {
        m_dragging = Handle::None;
        Rebin();
    }
}
