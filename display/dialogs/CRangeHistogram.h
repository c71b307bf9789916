#pragma once

#include "display/HistogramAxis.h"
#include "document/Colour.h"
#include "document/IntensityRange.h"

#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <vector>

// A histogram of the measured intensities on the chosen scale, each bar in the colour its
// values are drawn with, and the range's minimum and maximum as two handles that can be
// dragged.
class CRangeHistogram : public QWidget
{
    Q_OBJECT

public:
    explicit CRangeHistogram(QWidget* parent = nullptr);

    // The measured values (only those) and the colours to draw them in.
    void SetValues(std::vector<std::int32_t> values);
    void SetColours(const ColourTable& colours);
    // The range the handles show; the axis spans it and the values.
    void SetRange(const DrawnRange& range);

    const HistogramAxis& Axis() const { return m_axis; }
    const std::vector<std::int64_t>& Counts() const { return m_counts; }
    // The x of a handle's value, in the widget.
    int XOf(std::int32_t value) const;

signals:
    // A handle was dragged: the new limits, the minimum below the maximum.
    void limitsDragged(int minimum, int maximum);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Handle
    {
        None,
        Minimum,
        Maximum
    };
    void Rebin();
    int PlotLeft() const { return 4; }
    int PlotWidth() const { return std::max(width() - 8, 1); }

    std::vector<std::int32_t> m_values;
    int m_dataMin = 0;
    int m_dataMax = 0;
    ColourTable m_colours{};
    DrawnRange m_range;
    HistogramAxis m_axis;
    std::vector<std::int64_t> m_counts;
    Handle m_dragging = Handle::None;
};
