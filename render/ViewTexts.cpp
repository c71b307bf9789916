#include "render/ViewTexts.h"

#include "base/DecimalPlaces.h"
#include "base/FixedText.h"
#include "base/NumberText.h"
#include "document/CVespiraDoc.h"

#include <cmath>
#include <limits>

namespace {

QString Fixed(double value, int decimals)
{
    return QString::fromStdString(FormatFixed(value, decimals));
}

QString Int(long long value)
{
    return QString::fromStdString(FormatInt(value));
}

// printf's "%.2d": at least two digits, the sign in front.
QString TwoDigits(long long value)
{
    const QString digits = QString::number(value < 0 ? -value : value).rightJustified(2, u'0');
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

// A stored real as a whole number, truncated toward zero and held inside 32 bits.
long long WholeOf(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<long long>(std::clamp(value, -2147483648.0, 2147483647.0));
}

} // namespace

QString FormatStatusText(const CVespiraDoc& doc, DragMode dragMode, const GridPoint* point)
{
    if (dragMode == DragMode::ScaleAdjust)
        return QStringLiteral("Brightness: %1  Contrast: %2")
            .arg(Int(doc.m_nBrightness), Int(doc.m_nContrast));
    if (point == nullptr || !doc.IsInGrid(point->x, point->y) ||
        static_cast<std::size_t>(doc.PointCount()) > doc.m_pIntensity.size() ||
        static_cast<std::size_t>(doc.PointCount()) > doc.m_pScanTime.size())
        return QStringLiteral("X: ?  Y: ?  Int: ?  Time: ?");

    const std::size_t index = static_cast<std::size_t>(doc.IndexOf(point->x, point->y));
    const float time = doc.m_pScanTime[index];
    const QString timeText = time == 0.0f ? QStringLiteral("n/a") : Fixed(time, 0);
    // A point the scan has not reached holds no count yet, not a count of 0.
    const QString intensity = doc.m_range.IsMeasured(index) ? Int(doc.m_pIntensity[index])
                                                            : QStringLiteral("not measured");
    return QStringLiteral("X: %1  Y: %2  Int: %3  Time: %4")
        .arg(PointXText(doc, point->x), PointYText(doc, point->y), intensity, timeText);
}

// Single precision, as the positions are stored.
QString PointXText(const CVespiraDoc& doc, int col)
{
    const float x = doc.m_fXBeg + static_cast<float>(col) * doc.m_fXInc;
    return Fixed(x, DecimalPlaces(doc.m_fXInc));
}

QString PointYText(const CVespiraDoc& doc, int row)
{
    const float y = doc.m_fYEnd - static_cast<float>(row) * doc.m_fYInc;
    return Fixed(y, DecimalPlaces(doc.m_fYInc));
}

QStringList StatisticsLines(const SelectionStatistics& stats)
{
    constexpr double kLimit = 9.0e18;
    const double total =
        std::isfinite(stats.totalSeconds) ? std::clamp(stats.totalSeconds, -kLimit, kLimit) : 0.0;
    const long long s = static_cast<long long>(total);
    return {QStringLiteral("Selected Scans Statistics "),
            QStringLiteral("Number of Scans: %1   ").arg(Int(stats.count)),
            QStringLiteral("Total Time: %1:%2:%3   ")
                .arg(Int(s / 3600), TwoDigits((s / 60) % 60), TwoDigits(s % 60))};
}

std::vector<PanelLine> HeaderLines(const CVespiraDoc& doc)
{
    std::vector<PanelLine> lines = {
        {5, QStringLiteral("Header Information ")},
        {6, QStringLiteral("Meas. Time: %1 sec   ").arg(Fixed(doc.m_fMeasTime, 1))},
        {7, QStringLiteral("KV: %1  MA: %2   ").arg(Int(doc.m_nKV), Int(doc.m_nMA))},
        {8, QStringLiteral("Distance: %1 cm   ").arg(Fixed(doc.m_fDetDistance, 1))},
        {9, QStringLiteral("Beam center: %1 %2   ")
                .arg(Fixed(doc.m_fBeamX, 1), Fixed(doc.m_fBeamY, 1))},
        {10, QStringLiteral("Image size: %1   ").arg(Int(doc.m_nImageSize))},
    };
    const std::string_view background = TextOf(doc.m_szBackgroundFile);
    if (!background.empty()) {
        lines.push_back({12, QStringLiteral("Background Information ")});
        lines.push_back({13, QStringLiteral("File: ") + QString::fromLocal8Bit(background)});
        lines.push_back(
            {14, QStringLiteral("Meas. Time: %1 sec   ").arg(Fixed(doc.m_fBackgroundTime, 1))});
        lines.push_back(
            {15, QStringLiteral("X: %1  Y: %2   ")
                     .arg(Int(WholeOf(doc.m_fBackgroundX)), Int(WholeOf(doc.m_fBackgroundY)))});
        lines.push_back({16, QStringLiteral("KV: %1  MA: %2   ")
                                 .arg(Int(doc.m_nBackgroundKV), Int(doc.m_nBackgroundMA))});
    }
    return lines;
}

AxisTexts MakeAxisTexts(const CVespiraDoc& doc, const CellWindow& window, int orientation)
{
    AxisTexts texts;
    if (window.IsEmpty())
        return texts;
    const int p = DecimalPlaces(doc.m_fXInc);
    const bool mirrorX = MirrorsX(orientation);
    texts.xLeft = Fixed(doc.XOf(mirrorX ? window.lastCol : window.firstCol), p);
    texts.xRight = Fixed(doc.XOf(mirrorX ? window.firstCol : window.lastCol), p);
    texts.xCaption = QStringLiteral("d = %1 [mm]").arg(Fixed(doc.m_fXInc, p));

    const int q = DecimalPlaces(doc.m_fYInc);
    const bool mirrorY = MirrorsY(orientation);
    // Counted up from Y beginning at the bottom row.
    auto yOf = [&](int row) {
        return static_cast<double>(doc.m_fYBeg) +
               static_cast<double>(doc.m_nYPoints - 1 - row) * doc.m_fYInc;
    };
    texts.yBottom = Fixed(yOf(mirrorY ? window.firstRow : window.lastRow), q);
    texts.yTop = Fixed(yOf(mirrorY ? window.lastRow : window.firstRow), q);
    texts.yCaption = QStringLiteral("d = %1 [mm]").arg(Fixed(doc.m_fYInc, q));
    return texts;
}

XAxisPlacement PlaceXAxisTexts(const QRect& image, const XAxisSizes& s)
{
    const int l = image.left();
    const int r = image.right();
    const int y = image.bottom() + 3;
    const int w = image.width();
    XAxisPlacement place;
    place.left = {l, y};
    const int x2 = r - s.rightWidth + 1;
    place.right = {x2, y};
    const auto between = [&](int x, int width) {
        return x > l + s.leftWidth + 4 && x + width < x2 - 4;
    };

    int x = l - 1 + (w - s.captionWidth) / 2;
    if (between(x, s.captionWidth)) {
        place.caption = {x, y};
    } else if (x > l && x + s.captionWidth < r) {
        place.caption = {x, y + s.captionHeight};
    } else {
        place.shortCaption = true;
        x = l - 1 + (w - s.shortWidth) / 2;
        place.caption = {x, between(x, s.shortWidth) ? y : y + s.shortHeight};
    }
    return place;
}

YAxisPlacement PlaceYAxisTexts(const QRect& image, const YAxisSizes& s)
{
    const int t = image.top();
    const int b = image.bottom();
    const int x = image.left() - s.textHeight - 2;
    YAxisPlacement place;
    place.bottom = {x, b};
    place.top = {x, t + s.topLength};
    const int y = t + (image.height() + s.captionLength) / 2;
    place.caption = {x, y};
    place.captionShown = y < b - s.bottomLength - 4 && y - s.captionLength > t + s.topLength + 4;
    return place;
}
