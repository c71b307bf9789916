#include "link/TargetList.h"

#include "base/FixedText.h"
#include "base/NumberText.h"
#include "document/CVespiraDoc.h"

#include <algorithm>
#include <climits>

namespace {

std::string PadLeft(std::string text, std::size_t width, char fill = ' ')
{
    if (text.size() < width)
        text.insert(0, width - text.size(), fill);
    return text;
}

} // namespace

std::vector<Target> ListTargets(const CVespiraDoc& doc)
{
    std::vector<Target> targets;
    if (doc.m_pScanTime.size() != static_cast<std::size_t>(doc.PointCount()))
        return targets;
    for (int row = 0; row < doc.m_nYPoints; ++row)
        for (int col = 0; col < doc.m_nXPoints; ++col) {
            const float time = doc.m_pScanTime[static_cast<std::size_t>(doc.IndexOf(col, row))];
            if (time != 0.0f)
                targets.push_back(
                    {static_cast<int>(targets.size()), doc.XOf(col), doc.YOf(row), time});
        }
    return targets;
}

std::string FormatTargetLine(const Target& target)
{
    return "0    " + PadLeft(FormatInt(target.index), 3, '0') + "   " +
           PadLeft(FormatFixed(target.x, 3), 8) + PadLeft(FormatFixed(target.y, 3), 8) +
           PadLeft(FormatFixed(target.time, 1), 12);
}

std::string TargetListText(const std::vector<Target>& targets)
{
    std::string text;
    for (const Target& target : targets)
        text += FormatTargetLine(target) + '\n';
    return text;
}

int SampleNumberOf(std::string_view text)
{
    text = text.substr(0, 15);
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);
    }
    return static_cast<int>(value);
}

void SetJobText(char (&field)[80], const QString& text)
{
    QByteArray bytes = text.left(79).toUtf8();
    // Cut before a character that no longer fits whole.
    qsizetype end = std::min<qsizetype>(bytes.size(), 79);
    if (end < bytes.size())
        while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
            --end;
    CopyText(field, std::string_view(bytes.constData(), static_cast<std::size_t>(end)));
}
