#include "journal/ScanJournalFormat.h"

#include "base/FixedText.h"
#include "base/FormatGmtNow.h"
#include "document/CVespiraDoc.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();
constexpr char kHex[] = "0123456789abcdef";

// Fields are appended with a leading space each.
class CRecord
{
public:
    explicit CRecord(char type) { m_payload.push_back(type); }

    CRecord& Add(long long value)
    {
        char buf[24];
        const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
        m_payload.push_back(' ');
        m_payload.append(buf, end);
        return *this;
    }
    CRecord& Add(float value)
    {
        char buf[32];
        const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
        m_payload.push_back(' ');
        m_payload.append(buf, end);
        return *this;
    }
    CRecord& AddText(std::string_view text)
    {
        m_payload.push_back(' ');
        for (const char ch : text) {
            const auto byte = static_cast<unsigned char>(ch);
            if (byte < 0x20 || byte > 0x7E || ch == '%') {
                m_payload.push_back('%');
                m_payload.push_back(kHex[byte >> 4]);
                m_payload.push_back(kHex[byte & 0xF]);
            } else {
                m_payload.push_back(ch);
            }
        }
        return *this;
    }

    std::string Line() const
    {
        std::string line(9, ' ');
        std::uint32_t crc = Crc32(m_payload);
        for (int i = 7; i >= 0; --i, crc >>= 4)
            line[static_cast<std::size_t>(i)] = kHex[crc & 0xF];
        line += m_payload;
        line.push_back('\n');
        return line;
    }

private:
    std::string m_payload;
};

// Reads the fields of one record's payload in turn.
class CFieldReader
{
public:
    explicit CFieldReader(std::string_view payload) : m_rest(payload) {}

    template <typename T>
    bool Next(T& value)
    {
        const std::string_view field = Field();
        const char* end = field.data() + field.size();
        // Header values may be NaN or infinite as a garbled message gave them; they are
        // kept as they came.
        const auto [stop, ec] = std::from_chars(field.data(), end, value);
        return !field.empty() && ec == std::errc() && stop == end;
    }
    // The rest of the line, unescaped.
    bool Text(std::string& text)
    {
        text.clear();
        for (std::size_t i = 0; i < m_rest.size(); ++i) {
            if (m_rest[i] != '%') {
                text.push_back(m_rest[i]);
                continue;
            }
            unsigned value = 0;
            if (i + 2 >= m_rest.size())
                return false;
            const auto [stop, ec] =
                std::from_chars(m_rest.data() + i + 1, m_rest.data() + i + 3, value, 16);
            if (ec != std::errc() || stop != m_rest.data() + i + 3)
                return false;
            text.push_back(static_cast<char>(value));
            i += 2;
        }
        m_rest = {};
        return true;
    }
    bool AtEnd() const { return m_rest.empty() && m_ended; }

private:
    std::string_view Field()
    {
        const std::size_t space = m_rest.find(' ');
        std::string_view field = m_rest.substr(0, space);
        if (space == std::string_view::npos) {
            m_rest = {};
            m_ended = true;
        } else {
            m_rest.remove_prefix(space + 1);
        }
        return field;
    }

    std::string_view m_rest;
    bool m_ended = false;
};

bool ReadStart(CFieldReader& fields, ScanJournalContents& contents)
{
    long long began = 0;
    ScanGrid grid;
    std::string title;
    if (!fields.Next(began) || !fields.Next(grid.nXPoints) || !fields.Next(grid.nYPoints) ||
        !fields.Next(grid.fXBeg) || !fields.Next(grid.fXEnd) || !fields.Next(grid.fXInc) ||
        !fields.Next(grid.fYBeg) || !fields.Next(grid.fYEnd) || !fields.Next(grid.fYInc) ||
        !fields.Text(title))
        return false;
    const bool finite = std::isfinite(grid.fXBeg) && std::isfinite(grid.fXEnd) &&
                        std::isfinite(grid.fXInc) && std::isfinite(grid.fYBeg) &&
                        std::isfinite(grid.fYEnd) && std::isfinite(grid.fYInc);
    if (!finite || grid.nXPoints < 1 || grid.nYPoints < 1 || grid.fXInc == 0.0f ||
        grid.fYInc == 0.0f ||
        static_cast<std::int64_t>(grid.nXPoints) * grid.nYPoints > kMaxGridPoints)
        return false;
    contents.began = static_cast<std::time_t>(began);
    contents.grid = grid;
    contents.title = std::move(title);
    contents.header = MeasurementHeader{};
    contents.points.clear();
    return true;
}

bool ReadHeader(CFieldReader& fields, MeasurementHeader& header)
{
    MeasurementHeader h;
    if (!fields.Next(h.measTime) || !fields.Next(h.kV) || !fields.Next(h.mA) ||
        !fields.Next(h.detDistance) || !fields.Next(h.beamX) || !fields.Next(h.beamY) ||
        !fields.Next(h.imageSize) || !fields.Next(h.backgroundX) || !fields.Next(h.backgroundY) ||
        !fields.Next(h.backgroundKV) || !fields.Next(h.backgroundMA) ||
        !fields.Next(h.backgroundTime) || !fields.Text(h.backgroundFile))
        return false;
    header = std::move(h);
    return true;
}

bool ReadPoint(CFieldReader& fields, ScanJournalContents& contents)
{
    JournalPoint p;
    if (!fields.Next(p.col) || !fields.Next(p.row) || !fields.Next(p.value) || !fields.AtEnd())
        return false;
    if (p.col < 0 || p.col >= contents.grid.nXPoints || p.row < 0 ||
        p.row >= contents.grid.nYPoints)
        return false;
    contents.points.push_back(p);
    return true;
}

// One record's payload, checked; false for a bad checksum or a malformed line.
bool CheckedPayload(std::string_view line, std::string_view& payload)
{
    if (line.size() < 11 || line[8] != ' ')
        return false;
    std::uint32_t crc = 0;
    const auto [stop, ec] = std::from_chars(line.data(), line.data() + 8, crc, 16);
    if (ec != std::errc() || stop != line.data() + 8)
        return false;
    payload = line.substr(9);
    return Crc32(payload) == crc && payload.size() >= 1 &&
           (payload.size() == 1 || payload[1] == ' ');
}

} // namespace

std::uint32_t Crc32(std::string_view bytes)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char ch : bytes)
        c = kCrcTable[(c ^ static_cast<unsigned char>(ch)) & 0xFFu] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::string StartRecord(std::time_t began, const CVespiraDoc& doc, std::string_view title)
{
    return CRecord('S')
        .Add(static_cast<long long>(began))
        .Add(static_cast<long long>(doc.m_nXPoints))
        .Add(static_cast<long long>(doc.m_nYPoints))
        .Add(doc.m_fXBeg)
        .Add(doc.m_fXEnd)
        .Add(doc.m_fXInc)
        .Add(doc.m_fYBeg)
        .Add(doc.m_fYEnd)
        .Add(doc.m_fYInc)
        .AddText(title)
        .Line();
}

std::string HeaderRecord(const CVespiraDoc& doc)
{
    const MeasurementHeader h = doc.Header();
    return CRecord('H')
        .Add(h.measTime)
        .Add(static_cast<long long>(h.kV))
        .Add(static_cast<long long>(h.mA))
        .Add(h.detDistance)
        .Add(h.beamX)
        .Add(h.beamY)
        .Add(static_cast<long long>(h.imageSize))
        .Add(h.backgroundX)
        .Add(h.backgroundY)
        .Add(static_cast<long long>(h.backgroundKV))
        .Add(static_cast<long long>(h.backgroundMA))
        .Add(h.backgroundTime)
        .AddText(h.backgroundFile)
        .Line();
}

std::size_t PointRecord(char (&out)[kPointRecordMax], int col, int row, std::int32_t value)
{
    char* const payload = out + 9;
    char* const last = out + kPointRecordMax - 1;
    char* p = payload;
    *p++ = 'P';
    *p++ = ' ';
    p = std::to_chars(p, last, col).ptr;
    *p++ = ' ';
    p = std::to_chars(p, last, row).ptr;
    *p++ = ' ';
    p = std::to_chars(p, last, value).ptr;
    std::uint32_t crc = Crc32(std::string_view(payload, static_cast<std::size_t>(p - payload)));
    for (int i = 7; i >= 0; --i, crc >>= 4)
        out[i] = kHex[crc & 0xF];
    out[8] = ' ';
    *p++ = '\n';
    return static_cast<std::size_t>(p - out);
}

std::string SnapshotRecords(std::time_t began, const CVespiraDoc& doc, std::string_view title)
{
    std::string records = StartRecord(began, doc, title) + HeaderRecord(doc);
    char point[kPointRecordMax];
    for (int row = 0; row < doc.m_nYPoints; ++row) {
        for (int col = 0; col < doc.m_nXPoints; ++col) {
            const std::int32_t value = doc.m_pIntensity[doc.IndexOf(col, row)];
            if (value != 0)
                records.append(point, PointRecord(point, col, row, value));
        }
    }
    return records;
}

std::string StopRecord(std::string_view reason)
{
    return CRecord('X').AddText(reason).Line();
}

long ScanJournalContents::ReceivedPoints() const
{
    std::vector<bool> seen(static_cast<std::size_t>(grid.nXPoints) * grid.nYPoints, false);
    long count = 0;
    for (const JournalPoint& p : points) {
        const std::size_t i = static_cast<std::size_t>(p.row) * grid.nXPoints + p.col;
        if (!seen[i]) {
            seen[i] = true;
            ++count;
        }
    }
    return count;
}

JournalReadResult ReadScanJournal(std::string_view text, ScanJournalContents& contents)
{
    contents = ScanJournalContents{};
    for (const auto& [line, version] : {std::pair{std::string_view(kJournalVersionLine), 2},
                                        std::pair{std::string_view(kJournalVersion1Line), 1}})
        if (text.substr(0, line.size()) == line)
            contents.version = version;
    if (contents.version == 0)
        return JournalReadResult::Foreign;
    std::size_t pos = text.find('\n') + 1;
    contents.validLength = pos;
    // A start record lost to damage leaves the records after it without their grid: they
    // are not placed on the grid of the one before.
    bool placing = false;
    bool started = false;
    long lineNumber = 1;
    while (pos < text.size()) {
        ++lineNumber;
        const std::size_t lf = text.find('\n', pos);
        const bool whole = lf != std::string_view::npos;
        const std::string_view line = text.substr(pos, whole ? lf - pos : std::string_view::npos);
        std::string_view payload;
        bool good = CheckedPayload(line, payload);
        if (good) {
            CFieldReader fields(payload.substr(std::min<std::size_t>(2, payload.size())));
            switch (payload[0]) {
            case 'S':
                good = ReadStart(fields, contents);
                placing = placing || good;
                started = started || good;
                break;
            case 'H':
                good = placing && ReadHeader(fields, contents.header);
                break;
            case 'P':
                good = placing && ReadPoint(fields, contents);
                break;
            case 'X':
                good = fields.Text(contents.stopReason);
                contents.stopped = contents.stopped || good;
                break;
            default:
                good = false;
                break;
            }
        } else if (line.size() > 10 && line[9] == 'S' && line[10] == ' ') {
            placing = false;
        }
        if (!whole) {
            // A record cut short by the program's death: not damage. One that checks
            // only lost its line end and is kept.
            contents.tornTail = !good;
            break;
        }
        if (!good) {
            ++contents.damagedRecords;
            if (contents.damagedLines.size() < ScanJournalContents::kDamagedLinesKept)
                contents.damagedLines.push_back(lineNumber);
        }
        pos = lf + 1;
        contents.validLength = pos;
    }
    return started ? JournalReadResult::Ok : JournalReadResult::NoScan;
}

bool RestoreScanJournal(const ScanJournalContents& contents, CVespiraDoc& doc)
{
    if (!doc.SetUpGrid(contents.grid))
        return false;
    doc.m_szFileName[0] = '\0';
    FormatGmt(contents.began, doc.m_szCreatedDate, doc.m_szCreatedTime);
    FormatGmt(contents.began, doc.m_szModifiedDate, doc.m_szModifiedTime);
    doc.SetHeader(contents.header);
    doc.m_range.ResetMeasured(doc.m_pIntensity.size(), false);
    for (const JournalPoint& p : contents.points) {
        doc.m_pIntensity[doc.IndexOf(p.col, p.row)] = p.value;
        doc.m_range.MarkMeasured(static_cast<std::size_t>(doc.IndexOf(p.col, p.row)));
        doc.m_nMaxIntensity = std::max(doc.m_nMaxIntensity, p.value);
    }
    doc.SetModifiedFlag(true);
    return true;
}

std::string JournalTimeText(std::time_t when)
{
    // 9999-12-31 23:59:59 UTC: the last second a date of four digits can show.
    constexpr std::time_t kLast = 253402300799;
    std::tm utc{};
    if (when < 0 || when > kLast || gmtime_r(&when, &utc) == nullptr)
        return "unknown";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return text;
}

std::string PrintableText(std::string_view text)
{
    std::string shown;
    const auto escape = [&shown](const char* prefix, unsigned value) {
        shown += prefix;
        shown.push_back(kHex[(value >> 4) & 0xF]);
        shown.push_back(kHex[value & 0xF]);
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if (byte < 0x20 || byte == 0x7F)
                escape("\\x", byte);
            else
                shown.push_back(static_cast<char>(byte));
            ++i;
            continue;
        }
        // The length and the smallest value of a UTF-8 sequence by its first byte.
        const std::size_t length = byte >= 0xF0 && byte <= 0xF4   ? 4
                                   : byte >= 0xE0 && byte <= 0xEF ? 3
                                   : byte >= 0xC2 && byte <= 0xDF ? 2
                                                                  : 0;
        char32_t value = length == 4 ? byte & 0x07u : length == 3 ? byte & 0x0Fu : byte & 0x1Fu;
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            value = (value << 6) | (next & 0x3Fu);
        }
        const char32_t smallest = length == 4 ? 0x10000 : length == 3 ? 0x800 : 0x80;
        valid =
            valid && value >= smallest && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
        if (!valid) {
            escape("\\x", byte);
            ++i;
        } else if (value <= 0x9F) {
            escape("\\u00", static_cast<unsigned>(value));
            i += length;
        } else {
            shown.append(text.substr(i, length));
            i += length;
        }
    }
    return shown;
}
