#include "render/CCellImage.h"

#include "display/ColourSettings.h"
#include "display/ColourTransform.h"
#include "document/CLiveScan.h"
#include "document/CVespiraDoc.h"
#include "document/PatternRange.h"
#include "document/ViewOptions.h"
#include "render/LineRule.h"

#include <algorithm>
#include <array>
#include <climits>
#include <span>
#include <vector>

namespace {

using QRgbTable = std::array<QRgb, 256>;

QRgbTable QtColours(const ColourTable& table)
{
    QRgbTable colours{};
    for (std::size_t i = 0; i < colours.size(); ++i)
        colours[i] = ToQRgb(table[i]);
    return colours;
}

// The colour of any value in a range: a table by value when the range is small enough to
// be cheaper than computing each point's index, else the first value of each colour index,
// found once, so a point costs a short binary search and never a logarithm; the colours
// of the values met are kept, as a pattern's counts repeat.
class ColourLookup
{
public:
    ColourLookup(const ColourTable& table, const DrawnRange& range)
        : m_colours(QtColours(table)), m_range(range)
    {
        constexpr long long kMaxValues = 1 << 20;
        const long long span = static_cast<long long>(range.max) - range.min + 1;
        if (range.max > 0 && span >= 1 && span <= kMaxValues) {
            m_byValue.resize(static_cast<std::size_t>(span));
            for (long long k = 0; k < span; ++k)
                m_byValue[static_cast<std::size_t>(k)] =
                    IndexColour(RangeColourIndex(static_cast<std::int32_t>(range.min + k), range));
            return;
        }
        // Every mapping is monotone, so the first value of index k is found by bisection.
        for (int k = 1; k < 256; ++k) {
            long long lo = INT32_MIN;
            long long hi = static_cast<long long>(INT32_MAX) + 1;
            while (lo < hi) {
                const long long mid = lo + (hi - lo) / 2;
                if (RangeColourIndex(static_cast<std::int32_t>(mid), range) >= k)
                    hi = mid;
                else
                    lo = mid + 1;
            }
            m_firstOfIndex[static_cast<std::size_t>(k - 1)] = lo;
        }
        // No 32-bit value is kept yet: every slot holds one outside that range.
        m_keptValue.assign(kKept, static_cast<long long>(INT32_MAX) + 1);
        m_kept.assign(kKept, 0);
    }

    QRgb operator()(std::int32_t v) const
    {
        if (!m_byValue.empty())
            return m_byValue[static_cast<std::size_t>(
                static_cast<long long>(std::clamp(v, m_range.min, m_range.max)) - m_range.min)];
        const std::size_t slot = static_cast<std::uint32_t>(v) & (kKept - 1);
        if (m_keptValue[slot] == v)
            return m_kept[slot];
        const auto index = std::upper_bound(m_firstOfIndex.begin(), m_firstOfIndex.end(),
                                            static_cast<long long>(v)) -
                           m_firstOfIndex.begin();
        m_keptValue[slot] = v;
        m_kept[slot] = m_colours[static_cast<std::size_t>(index)];
        return m_kept[slot];
    }

private:
    QRgb IndexColour(int index) const { return m_colours[static_cast<std::size_t>(index)]; }

    QRgbTable m_colours;
    DrawnRange m_range;
    std::vector<QRgb> m_byValue;
    std::array<long long, 255> m_firstOfIndex{};
    static constexpr std::size_t kKept = 1 << 16;
    mutable std::vector<long long> m_keptValue;
    mutable std::vector<QRgb> m_kept;
};

// Writes the colours of the window's points into the image, mirrored as the orientation
// asks; with an overlay colour, targets take it; points not yet measured take their own.
void FillCells(QImage& image, const CVespiraDoc& doc, const DrawnRange& range, const CellWindow& w,
               int orientation, const QRgb* overlay, QRgb notMeasured)
{
    const ColourLookup colourOf(doc.m_DisplayColors, range);
    const std::span<const std::uint8_t> measured = doc.m_range.MeasuredMask();
    const bool mirrorX = MirrorsX(orientation);
    const int columns = w.Columns();
    for (int row = w.firstRow; row <= w.lastRow; ++row) {
        const int dy = MirrorsY(orientation) ? w.lastRow - row : row - w.firstRow;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(dy));
        const std::size_t first = static_cast<std::size_t>(doc.IndexOf(w.firstCol, row));
        const std::int32_t* values = doc.m_pIntensity.data() + first;
        const float* times = doc.m_pScanTime.data() + first;
        const std::uint8_t* marks = measured.empty() ? nullptr : measured.data() + first;
        for (int i = 0; i < columns; ++i) {
            QRgb c = 0;
            if (overlay != nullptr && times[i] != 0.0f)
                c = *overlay;
            else if (marks != nullptr && marks[i] == 0)
                c = notMeasured;
            else
                c = colourOf(values[i]);
            line[mirrorX ? columns - 1 - i : i] = c;
        }
    }
}

} // namespace

void CCellImage::Compose(const CVespiraDoc& doc, const RenderContext& context)
{
    m_window = VisibleWindowOf(doc);
    m_orientation = NormalisedOrientation(context.options.orientation);
    m_nx = doc.m_nXPoints;
    m_ny = doc.m_nYPoints;
    m_data = doc.m_pIntensity.data();
    m_range = DrawnRangeOf(doc);
    m_colours = doc.m_DisplayColors;
    m_notMeasured = context.colours.notMeasured;
    if (m_window.IsEmpty()) {
        m_image = QImage();
        return;
    }
    if (m_image.width() != m_window.Columns() || m_image.height() != m_window.Rows())
        m_image = QImage(m_window.Columns(), m_window.Rows(), QImage::Format_RGB32);
    if (m_image.isNull()) {
        m_window = CellWindow();
        return;
    }
    const ProgramColours& colours = context.colours;
    const QRgb selection = ToQRgb(colours.selection);
    FillCells(m_image, doc, m_range, m_window, m_orientation,
              context.options.overlay ? &selection : nullptr, ToQRgb(m_notMeasured));
    if (const CollectMarker marker = context.liveScan.MarkerIn(doc); marker.on)
        SetColour(marker.col, marker.row, colours.activeTarget);
    m_inputs = InputsOf(doc, context);
    m_pending = PendingOf(context.tools);
    if (m_pending.shown) {
        auto target = [&](int col, int row) { SetColour(col, row, colours.selection); };
        if (m_pending.tool == CursorTool::Line)
            ForEachLinePoint(m_pending.anchor, m_pending.current, target);
        else
            ForEachRectanglePoint(m_nx, m_ny, m_pending.anchor, m_pending.current, target);
    }
}

CCellImage::Inputs CCellImage::InputsOf(const CVespiraDoc& doc, const RenderContext& context)
{
    Inputs in;
    in.overlay = context.options.overlay;
    in.selection = context.colours.selection;
    in.activeTarget = context.colours.activeTarget;
    const CollectMarker marker = context.liveScan.MarkerIn(doc);
    in.marker = marker.on;
    if (in.marker) {
        in.markerCol = marker.col;
        in.markerRow = marker.row;
    }
    in.generation = doc.SelectionGeneration();
    in.colours = doc.m_DisplayColors;
    in.notMeasured = context.colours.notMeasured;
    return in;
}

CCellImage::Pending CCellImage::PendingOf(const ToolState& tools)
{
    if (!tools.DrawsPendingShape())
        return {};
    return {true, tools.tool, tools.dragAnchor, tools.dragCurrent};
}

bool CCellImage::RestoreCell(const CVespiraDoc& doc, const RenderContext& context, int col, int row)
{
    if (m_inputs.marker && col == m_inputs.markerCol && row == m_inputs.markerRow)
        return SetColour(col, row, context.colours.activeTarget);
    if (m_inputs.overlay && doc.IsTarget(col, row))
        return SetColour(col, row, context.colours.selection);
    return SetIntensityColour(doc, col, row);
}

bool CCellImage::UpdatePendingShape(const CVespiraDoc& doc, const RenderContext& context)
{
    const Pending now = PendingOf(context.tools);
    if ((!now.shown && !m_pending.shown) || !Matches(doc, context) || !ColoursMatch(doc) ||
        !(InputsOf(doc, context) == m_inputs))
        return false;

    // The cells of shape a that shape b does not cover (b counts as covering nothing
    // unless both are rectangles: a line is cheap to draw again).
    const int nx = m_nx;
    const int ny = m_ny;
    auto forEachOutside = [nx, ny](const Pending& a, const Pending& b, auto visit) {
        if (!a.shown)
            return;
        if (a.tool == CursorTool::Line) {
            ForEachLinePoint(a.anchor, a.current, visit);
            return;
        }
        const int firstCol = std::max(std::min(a.anchor.x, a.current.x), 0);
        const int lastCol = std::min(std::max(a.anchor.x, a.current.x), nx - 1);
        const int firstRow = std::max(std::min(a.anchor.y, a.current.y), 0);
        const int lastRow = std::min(std::max(a.anchor.y, a.current.y), ny - 1);
        const bool rect = b.shown && b.tool == CursorTool::Rectangle;
        const int bFirstCol = std::min(b.anchor.x, b.current.x);
        const int bLastCol = std::max(b.anchor.x, b.current.x);
        const int bFirstRow = std::min(b.anchor.y, b.current.y);
        const int bLastRow = std::max(b.anchor.y, b.current.y);
        for (int row = firstRow; row <= lastRow; ++row) {
            if (!rect || row < bFirstRow || row > bLastRow) {
                for (int col = firstCol; col <= lastCol; ++col)
                    visit(col, row);
                continue;
            }
            for (int col = firstCol; col <= std::min(lastCol, bFirstCol - 1); ++col)
                visit(col, row);
            for (int col = std::max(firstCol, bLastCol + 1); col <= lastCol; ++col)
                visit(col, row);
        }
    };
    forEachOutside(m_pending, now, [&](int col, int row) { RestoreCell(doc, context, col, row); });
    forEachOutside(now, m_pending,
                   [&](int col, int row) { SetColour(col, row, context.colours.selection); });
    m_pending = now;
    return true;
}

bool CCellImage::Matches(const CVespiraDoc& doc, const RenderContext& context) const
{
    return !m_image.isNull() && m_window == VisibleWindowOf(doc) &&
           m_orientation == NormalisedOrientation(context.options.orientation) &&
           m_nx == doc.m_nXPoints && m_ny == doc.m_nYPoints && m_data == doc.m_pIntensity.data();
}

bool CCellImage::ColoursMatch(const CVespiraDoc& doc) const
{
    return m_range == DrawnRangeOf(doc) && m_colours == doc.m_DisplayColors;
}

bool CCellImage::SetIntensityColour(const CVespiraDoc& doc, int col, int row)
{
    if (!m_window.Contains(col, row) || m_image.isNull())
        return false;
    const auto at = static_cast<std::size_t>(doc.IndexOf(col, row));
    if (!doc.m_range.IsMeasured(at))
        return SetColour(col, row, m_notMeasured);
    const int index = RangeColourIndex(doc.m_pIntensity[at], m_range);
    return SetColour(col, row, doc.m_DisplayColors[static_cast<std::size_t>(index)]);
}

bool CCellImage::SetColour(int col, int row, COLORREF colour)
{
    if (!m_window.Contains(col, row) || m_image.isNull())
        return false;
    const QPoint step = CellStep(m_window, m_orientation, col, row);
    reinterpret_cast<QRgb*>(m_image.scanLine(step.y()))[step.x()] = ToQRgb(colour);
    return true;
}

QImage RenderPatternImage(const CVespiraDoc& doc, int cellSize, std::optional<COLORREF> overlay,
                          COLORREF notMeasured)
{
    CellWindow whole;
    whole.lastCol = doc.m_nXPoints - 1;
    whole.lastRow = doc.m_nYPoints - 1;
    const std::size_t count = static_cast<std::size_t>(std::max(doc.PointCount(), 0));
    if (whole.IsEmpty() || cellSize < 1 || doc.m_pIntensity.size() < count)
        return {};
    QImage points(whole.Columns(), whole.Rows(), QImage::Format_RGB32);
    if (points.isNull())
        return {};
    const QRgb targets = ToQRgb(overlay.value_or(0));
    FillCells(points, doc, DrawnRangeOf(doc), whole, 0, overlay ? &targets : nullptr,
              ToQRgb(notMeasured));
    if (cellSize == 1)
        return points;
    const long long width = static_cast<long long>(whole.Columns()) * cellSize;
    const long long height = static_cast<long long>(whole.Rows()) * cellSize;
    if (width > 32767 || height > 32767)
        return {};
    return points.scaled(static_cast<int>(width), static_cast<int>(height), Qt::IgnoreAspectRatio,
                         Qt::FastTransformation);
}
