#include "exchange/TargetCsv.h"

#include "base/DecimalPlaces.h"
#include "base/FilePath.h"
#include "base/NumberText.h"
#include "document/ScanTimeRule.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace {

// A list larger than this is not a target list of any grid the program takes.
constexpr off_t kMaxListBytes = off_t{1} << 30;

std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A field without its surrounding blanks and quotes.
std::string_view Field(std::string_view text)
{
    text = Trim(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = Trim(text.substr(1, text.size() - 2));
    return text;
}

// The whole field as a number, or false.
bool ReadNumber(std::string_view text, double& value)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+')
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

std::string Quoted(std::string_view text)
{
    constexpr std::size_t kShown = 24;
    std::string shown(text.substr(0, kShown));
    if (text.size() > kShown)
        shown += "...";
    return "\"" + shown + "\"";
}

bool IsHeader(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(Field(line.substr(start, comma - start)));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    const char* names[] = {"x_mm", "y_mm", "time_s"};
    if (fields.size() != 3)
        return false;
    for (std::size_t i = 0; i < 3; ++i)
        if (fields[i].size() != std::strlen(names[i]) ||
            !std::equal(fields[i].begin(), fields[i].end(), names[i], [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == b;
            }))
            return false;
    return true;
}

} // namespace

int AxisDecimals(float step, float origin)
{
    // The rule counts decimals of positive values; a negative one it takes for finer.
    return std::max(DecimalPlaces(std::abs(step)), DecimalPlaces(std::abs(origin)));
}

std::string ScanTimeText(float time)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, time);
    return std::string(buffer, result.ptr);
}

std::string TargetCsvText(const CVespiraDoc& doc)
{
    const int xDecimals = AxisDecimals(doc.m_fXInc, doc.m_fXBeg);
    const int yDecimals = AxisDecimals(doc.m_fYInc, doc.m_fYEnd);
    std::string text = std::string(kTargetCsvHeader) + '\n';
    if (doc.m_pScanTime.size() != static_cast<std::size_t>(doc.PointCount()))
        return text;
    for (int row = 0; row < doc.m_nYPoints; ++row) {
        const std::string y = FormatFixed(doc.YOf(row), yDecimals);
        for (int col = 0; col < doc.m_nXPoints; ++col) {
            const float time = doc.m_pScanTime[static_cast<std::size_t>(doc.IndexOf(col, row))];
            if (time == 0.0f)
                continue;
            text += FormatFixed(doc.XOf(col), xDecimals);
            text += ',';
            text += y;
            text += ',';
            text += ScanTimeText(time);
            text += '\n';
        }
    }
    return text;
}

bool WriteTargetCsv(const CVespiraDoc& doc, const QByteArray& path)
{
    return WriteFileReplacing(path, TargetCsvText(doc));
}

TargetImport ParseTargetCsv(const CVespiraDoc& doc, std::string_view text)
{
    TargetImport import;
    // A list saved by a spreadsheet may begin with a byte-order mark.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    const bool haveGrid = doc.m_pScanTime.size() == static_cast<std::size_t>(doc.PointCount());
    // Grid point -> line of the row that took it.
    std::unordered_map<int, int> taken;
    int lineNumber = 0;
    bool headerSeen = false;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t lf = text.find('\n', start);
        const std::string_view line =
            Trim(text.substr(start, lf == std::string_view::npos ? text.npos : lf - start));
        start = lf == std::string_view::npos ? text.size() + 1 : lf + 1;
        ++lineNumber;
        if (line.empty())
            continue;
        if (!headerSeen) {
            if (!IsHeader(line)) {
                import.problems.push_back({lineNumber, "the first line is not the header " +
                                                           std::string(kTargetCsvHeader)});
                return import;
            }
            headerSeen = true;
            import.isList = true;
            continue;
        }
        const auto problem = [&](std::string why) {
            import.problems.push_back({lineNumber, std::move(why)});
        };
        std::string_view fields[3];
        std::size_t count = 0;
        std::size_t from = 0;
        for (;;) {
            const std::size_t comma = line.find(',', from);
            if (count < 3)
                fields[count] = Field(line.substr(from, comma - from));
            ++count;
            if (comma == std::string_view::npos)
                break;
            from = comma + 1;
        }
        if (count != 3) {
            problem("3 fields expected (x_mm,y_mm,time_s), " + std::to_string(count) + " found");
            continue;
        }
        double x = 0.0;
        double y = 0.0;
        double time = 0.0;
        if (!ReadNumber(fields[0], x)) {
            problem("X " + Quoted(fields[0]) + " is not a number");
            continue;
        }
        if (!ReadNumber(fields[1], y)) {
            problem("Y " + Quoted(fields[1]) + " is not a number");
            continue;
        }
        if (!ReadNumber(fields[2], time)) {
            problem("scan time " + Quoted(fields[2]) + " is not a number");
            continue;
        }
        const std::optional<float> accepted = AcceptedScanTime(time);
        if (!accepted) {
            problem("scan time " + std::string(fields[2]) +
                    (time > kMaxScanTime ? " s is more than 1000000 s"
                                         : " s is not greater than 0.9 s"));
            continue;
        }
        const float fx = static_cast<float>(x);
        const float fy = static_cast<float>(y);
        const int col = doc.ColumnOf(fx);
        const int row = doc.RowOf(fy);
        if (!haveGrid || !std::isfinite(fx) || !std::isfinite(fy) || !doc.IsInGrid(col, row)) {
            problem("X " + std::string(fields[0]) + " mm, Y " + std::string(fields[1]) +
                    " mm lies outside the grid");
            continue;
        }
        const int index = doc.IndexOf(col, row);
        const auto [at, inserted] = taken.emplace(index, lineNumber);
        if (!inserted) {
            problem("the same grid point as line " + std::to_string(at->second));
            continue;
        }
        import.targets.push_back({index, *accepted});
    }
    if (!headerSeen)
        import.problems.push_back(
            {1, "the file is empty; a target list begins with " + std::string(kTargetCsvHeader)});
    return import;
}

bool ReadTargetCsvFile(const QByteArray& path, std::string& text, std::string& error)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        error = "not a regular file";
        return false;
    }
    if (info.st_size > kMaxListBytes) {
        ::close(fd);
        error = "larger than any target list (1 GiB)";
        return false;
    }
    text.clear();
    text.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (got == 0)
            break;
        if (text.size() + static_cast<std::size_t>(got) > static_cast<std::size_t>(kMaxListBytes)) {
            ::close(fd);
            error = "larger than any target list (1 GiB)";
            return false;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return true;
}

std::string DescribeProblems(const std::vector<CsvProblem>& problems, std::size_t limit)
{
    std::string text;
    for (std::size_t i = 0; i < problems.size() && i < limit; ++i)
        text += "line " + std::to_string(problems[i].line) + ": " + problems[i].text + '\n';
    if (problems.size() > limit)
        text += "and " + std::to_string(problems.size() - limit) + " more\n";
    return text;
}

void ApplyTargetImport(CVespiraDoc& doc, const TargetImport& import)
{
    doc.SetScanTimes(import.targets, QStringLiteral("Import"));
}
