#include "web/LiveViewMessages.h"

#include "document/CVespiraDoc.h"
#include "document/PatternRange.h"
#include "render/CellPlacement.h"
#include "render/ViewTexts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

namespace {

QString Css(COLORREF c)
{
    return QStringLiteral("#%1%2%3")
        .arg(RedOf(c), 2, 16, QLatin1Char('0'))
        .arg(GreenOf(c), 2, 16, QLatin1Char('0'))
        .arg(BlueOf(c), 2, 16, QLatin1Char('0'));
}

QByteArray Json(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

void Put32(QByteArray& out, std::uint32_t value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

QByteArray Header(std::uint8_t kind, std::uint8_t flags, int id, long long msecs)
{
    QByteArray out;
    out.append(static_cast<char>(kind));
    out.append(static_cast<char>(flags));
    out.append(2, '\0');
    Put32(out, static_cast<std::uint32_t>(id));
    char bytes[8];
    qToLittleEndian(static_cast<qint64>(msecs), bytes);
    out.append(bytes, 8);
    return out;
}

// Cells the document's arrays hold: none while they are shorter than the grid.
std::size_t StoredCells(const CVespiraDoc& doc)
{
    const auto count = static_cast<std::size_t>(std::max(doc.PointCount(), 0));
    return count <= doc.m_pIntensity.size() ? count : 0;
}

void PutRun(QByteArray& out, const std::int32_t* values, std::uint32_t start, std::uint32_t count)
{
    Put32(out, start);
    Put32(out, count);
    const qsizetype at = out.size();
    out.resize(at + static_cast<qsizetype>(count) * 4);
    char* p = out.data() + at;
    for (std::uint32_t i = 0; i < count; ++i, p += 4)
        qToLittleEndian(values[start + i], p);
}

} // namespace

namespace LiveMessage {

QByteArray Patterns(const std::vector<LivePatternEntry>& patterns, int chosen)
{
    QJsonArray list;
    for (const LivePatternEntry& p : patterns)
        list.append(QJsonObject{{"id", p.id}, {"title", p.title}, {"live", p.live}});
    return Json({{"type", "patterns"}, {"list", list}, {"chosen", chosen}});
}

QByteArray Pattern(int id, const CVespiraDoc& doc, int orientation)
{
    const int nx = StoredCells(doc) > 0 ? doc.m_nXPoints : 0;
    const int ny = StoredCells(doc) > 0 ? doc.m_nYPoints : 0;
    QJsonArray xs;
    for (int col = 0; col < nx; ++col)
        xs.append(PointXText(doc, col));
    QJsonArray ys;
    for (int row = 0; row < ny; ++row)
        ys.append(PointYText(doc, row));
    const CellWindow whole{0, nx - 1, 0, ny - 1};
    const AxisTexts axes = MakeAxisTexts(doc, whole, orientation);
    return Json({{"type", "pattern"},
                 {"id", id},
                 {"title", doc.GetTitle()},
                 {"nx", nx},
                 {"ny", ny},
                 {"x", xs},
                 {"y", ys},
                 {"xLeft", axes.xLeft},
                 {"xRight", axes.xRight},
                 {"xCaption", axes.xCaption},
                 {"yBottom", axes.yBottom},
                 {"yTop", axes.yTop},
                 {"yCaption", axes.yCaption}});
}

QByteArray Title(int id, const QString& title)
{
    return Json({{"type", "title"}, {"id", id}, {"title", title}});
}

QByteArray NoPattern()
{
    return Json({{"type", "none"}});
}

QByteArray Colours(const CVespiraDoc& doc, const LiveViewLook& look)
{
    QJsonArray colours;
    for (const COLORREF c : doc.m_DisplayColors)
        colours.append(Css(c));
    // The range and scale the program draws with, so the page's colours are the view's.
    const DrawnRange range = DrawnRangeOf(doc);
    const char* scale = range.scale == IntensityScale::SquareRoot    ? "sqrt"
                        : range.scale == IntensityScale::Logarithmic ? "log"
                                                                     : "linear";
    return Json({{"type", "colours"},
                 {"colours", colours},
                 {"min", range.min},
                 {"max", range.max},
                 {"scale", scale},
                 {"rising", range.rising},
                 {"orientation", NormalisedOrientation(look.orientation)},
                 {"overlay", look.overlay},
                 {"selection", Css(look.selection)},
                 {"activeTarget", Css(look.activeTarget)},
                 {"notMeasured", Css(look.notMeasured)}});
}

QByteArray Progress(const LiveProgress& p)
{
    QJsonObject o{{"type", "progress"}, {"live", p.live}};
    if (p.live) {
        o.insert("received", static_cast<qint64>(p.received));
        o.insert("total", static_cast<qint64>(p.total));
        o.insert("rate", p.rate);
        o.insert("end",
                 p.endMsecs >= 0 ? QJsonValue(static_cast<qint64>(p.endMsecs)) : QJsonValue());
        o.insert("marker",
                 p.marker ? QJsonValue(QJsonArray{p.markerCol, p.markerRow}) : QJsonValue());
    }
    return Json(o);
}

QByteArray Cells(int id, const CVespiraDoc& doc, std::span<const std::uint32_t> indices,
                 long long oldestMsecs)
{
    QByteArray out = Header(kCells, 0, id, oldestMsecs);
    const std::size_t count = StoredCells(doc);
    const std::int32_t* values = doc.m_pIntensity.data();
    std::size_t i = 0;
    while (i < indices.size() && indices[i] < count) {
        std::size_t j = i + 1;
        while (j < indices.size() && indices[j] == indices[j - 1] + 1 && indices[j] < count)
            ++j;
        PutRun(out, values, indices[i], static_cast<std::uint32_t>(j - i));
        i = j;
    }
    return out;
}

QByteArray AllCells(int id, const CVespiraDoc& doc, long long nowMsecs)
{
    const bool partly = !doc.m_range.AllMeasured();
    QByteArray out =
        Header(kCells, partly ? kResetFlag | kUnmeasuredFlag : kResetFlag, id, nowMsecs);
    const std::size_t count = StoredCells(doc);
    const std::int32_t* values = doc.m_pIntensity.data();
    auto sent = [&](std::size_t i) { return partly ? doc.m_range.IsMeasured(i) : values[i] != 0; };
    std::size_t i = 0;
    while (i < count) {
        if (!sent(i)) {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        while (j < count && sent(j))
            ++j;
        PutRun(out, values, static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j - i));
        i = j;
    }
    return out;
}

QByteArray Targets(int id, const CVespiraDoc& doc)
{
    const std::size_t count = std::min(StoredCells(doc), doc.m_pScanTime.size());
    QByteArray out = Header(kTargets, 0, id, 0);
    const qsizetype countAt = out.size();
    Put32(out, 0);
    std::uint32_t n = 0;
    const float* times = doc.m_pScanTime.data();
    for (std::size_t i = 0; i < count; ++i)
        if (times[i] != 0.0f) {
            Put32(out, static_cast<std::uint32_t>(i));
            ++n;
        }
    qToLittleEndian(n, out.data() + countAt);
    return out;
}

} // namespace LiveMessage
