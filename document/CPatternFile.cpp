#include "document/CPatternFile.h"

#include "base/DecimalPlaces.h"
#include "base/FilePath.h"
#include "base/FixedText.h"
#include "base/NumberText.h"
#include "document/CVespiraDoc.h"
#include "document/IHostUi.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Lines are read in pieces of at most 127 characters, as a 128-byte line buffer did.
constexpr std::size_t kPieceLength = 127;

void AppendFixed(std::string& out, double value, int decimals)
{
    out += FormatFixed(value, decimals);
}

// Cuts a byte stream into the pieces a line-by-line read in text mode gives, holding
// only a bounded window of it: CR LF becomes LF before the cut, as text mode did.
class CPieceReader
{
public:
    // Fills up to `size` bytes at `into`; the count read, 0 at the end, -1 on an error.
    using Source = std::function<std::ptrdiff_t(char* into, std::size_t size)>;

    explicit CPieceReader(Source source) : m_source(std::move(source)), m_buffer(kCapacity) {}

    // Reads until `length` bytes (at most a piece and its line feed) after conversion are
    // at hand or the stream ends. True when there are `length` bytes.
    bool Peek(std::size_t length, std::string_view& start)
    {
        Fill(length);
        start = Rest().substr(0, length);
        return start.size() == length;
    }

    // The next piece, without its line feed; false at the end of the stream. The view
    // stays valid until the next call.
    bool Next(std::string_view& piece)
    {
        Fill(kPieceLength + 1);
        if (m_pos == m_size)
            return false;
        const std::string_view rest = Rest();
        const std::size_t window = std::min(rest.size(), kPieceLength);
        piece = rest.substr(0, window);
        const std::size_t lf = piece.find('\n');
        if (lf != std::string_view::npos) {
            piece = piece.substr(0, lf);
            m_pos += lf + 1;
        } else {
            m_pos += window;
        }
        // A NUL in the file ends the text of its line, as it did in a C buffer.
        if (m_hasNul)
            piece = piece.substr(0, piece.find('\0'));
        return true;
    }

    bool Next(std::string& line)
    {
        std::string_view piece;
        if (!Next(piece))
            return false;
        line.assign(piece);
        return true;
    }

    // The source reported an error rather than the end.
    bool Failed() const { return m_failed; }

private:
    static constexpr std::size_t kChunk = 64 * 1024;
    // A chunk, what is left of the one before, and a CR held back from it.
    static constexpr std::size_t kCapacity = kChunk + kPieceLength + 2;

    std::string_view Rest() const
    {
        return std::string_view(m_buffer.data() + m_pos, m_size - m_pos);
    }

    void Fill(std::size_t length)
    {
        if (m_size - m_pos >= length || m_end)
            return;
        std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_size - m_pos);
        m_size -= m_pos;
        m_pos = 0;
        while (m_size < length && !m_end)
            Read();
    }

    // Reads straight into the window; only a chunk holding a CR is copied to convert it.
    void Read()
    {
        char* const into = m_buffer.data() + m_size;
        const std::ptrdiff_t got = m_source(into, std::min(kChunk, kCapacity - m_size - 1));
        if (got <= 0) {
            m_end = true;
            m_failed = got < 0;
            if (m_pendingCr)
                m_buffer[m_size++] = '\r';
            m_pendingCr = false;
            return;
        }
        const std::string_view bytes(into, static_cast<std::size_t>(got));
        m_hasNul = m_hasNul || bytes.find('\0') != std::string_view::npos;
        if (!m_pendingCr && bytes.find('\r') == std::string_view::npos) {
            m_size += bytes.size();
            return;
        }
        const std::string copy(bytes);
        for (const char c : copy) {
            if (m_pendingCr && c != '\n')
                m_buffer[m_size++] = '\r';
            m_pendingCr = c == '\r';
            if (!m_pendingCr)
                m_buffer[m_size++] = c;
        }
    }

    Source m_source;
    std::vector<char> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_size = 0;
    bool m_pendingCr = false;
    bool m_hasNul = false;
    bool m_end = false;
    bool m_failed = false;
};

// A literal prefix, so that the compare is a few instructions on every intensity line.
template <std::size_t N>
bool StartsWith(std::string_view line, const char (&prefix)[N])
{
    return line.size() >= N - 1 && std::memcmp(line.data(), prefix, N - 1) == 0;
}

// What follows a keyword: its first occurrence, then the keyword and one more character
// skipped; empty when the keyword is missing or ends the line.
const char* AfterKeyword(const std::string& line, const char* keyword)
{
    const std::size_t at = line.find(keyword);
    if (at == std::string::npos)
        return "";
    const std::size_t from = at + std::strlen(keyword) + 1;
    return from <= line.size() ? line.c_str() + from : "";
}

float FloatAfter(const std::string& line, const char* keyword)
{
    return static_cast<float>(CAtof(AfterKeyword(line, keyword)));
}

int IntAfter(const std::string& line, const char* keyword)
{
    return CAtol(AfterKeyword(line, keyword));
}

// "GMT: created: D T  modified: D T": the four texts as the writer wrote them.
void ReadGmtLine(CVespiraDoc& doc, const std::string& line)
{
    doc.m_szCreatedDate[0] = '\0';
    doc.m_szCreatedTime[0] = '\0';
    doc.m_szModifiedDate[0] = '\0';
    doc.m_szModifiedTime[0] = '\0';
    const std::string_view text(line);

    const std::size_t modified = text.find("modified: ");
    const std::size_t created = text.find("created: ");
    if (created != std::string_view::npos) {
        const std::size_t dateAt = created + 9;
        const std::size_t space = text.find(' ', dateAt);
        CopyText(doc.m_szCreatedDate, text.substr(dateAt, space - dateAt));
        if (space != std::string_view::npos) {
            std::size_t timeEnd = text.size();
            if (modified != std::string_view::npos && modified >= space + 1)
                timeEnd = modified >= space + 3 ? modified - 2 : space + 1;
            CopyText(doc.m_szCreatedTime, text.substr(space + 1, timeEnd - space - 1));
        }
    }
    if (modified != std::string_view::npos) {
        const std::size_t dateAt = modified + 10;
        const std::size_t space = text.find(' ', dateAt);
        CopyText(doc.m_szModifiedDate, text.substr(dateAt, space - dateAt));
        if (space != std::string_view::npos)
            CopyText(doc.m_szModifiedTime, text.substr(space + 1));
    }
}

// One header line; true when it ends the header.
bool ReadHeaderLine(CVespiraDoc& doc, const std::string& line, ScanGrid& grid)
{
    if (StartsWith(line, "ORMA"))
        return false;
    if (StartsWith(line, "File")) {
        CopyText(doc.m_szFileName, line.size() > 6 ? std::string_view(line).substr(6) : "");
    } else if (StartsWith(line, "GMT:")) {
        ReadGmtLine(doc, line);
    } else if (StartsWith(line, "MEAS")) {
        doc.m_fMeasTime = FloatAfter(line, "time:");
        doc.m_nKV = IntAfter(line, "kv:");
        doc.m_nMA = IntAfter(line, "ma:");
    } else if (StartsWith(line, "DET:")) {
        doc.m_fDetDistance = FloatAfter(line, "dist:");
        doc.m_fBeamX = FloatAfter(line, "x:");
        doc.m_fBeamY = FloatAfter(line, "y:");
        doc.m_nImageSize = IntAfter(line, "size:");
    } else if (StartsWith(line, "BCKG")) {
        const std::size_t file = line.find("file:");
        if (file != std::string::npos) {
            const std::size_t from = file + 6;
            CopyText(doc.m_szBackgroundFile,
                     from <= line.size() ? std::string_view(line).substr(from) : "");
        } else {
            doc.m_fBackgroundX = FloatAfter(line, "x:");
            doc.m_fBackgroundY = FloatAfter(line, "y:");
            doc.m_nBackgroundKV = IntAfter(line, "kv:");
            doc.m_nBackgroundMA = IntAfter(line, "ma:");
            doc.m_fBackgroundTime = FloatAfter(line, "time:");
        }
    } else if (StartsWith(line, "X:")) {
        grid.fXBeg = FloatAfter(line, "beg:");
        grid.fXEnd = FloatAfter(line, "end:");
        grid.fXInc = FloatAfter(line, "inc:");
    } else if (StartsWith(line, "Y:")) {
        grid.fYBeg = FloatAfter(line, "beg:");
        grid.fYEnd = FloatAfter(line, "end:");
        grid.fYInc = FloatAfter(line, "inc:");
    } else if (StartsWith(line, "Begi")) {
        return true;
    }
    return false;
}

// Stores values from `index` on, each kept only while the grid has room for it.
void StoreIntensities(CVespiraDoc& doc, const int* values, std::size_t n, std::size_t& index)
{
    const std::size_t count = doc.m_pIntensity.size();
    const std::size_t kept = index < count ? std::min(n, count - index) : 0;
    // The maximum in a local: a store to the array might otherwise be taken to change it.
    int maximum = doc.m_nMaxIntensity;
    std::int32_t* const into = doc.m_pIntensity.data() + index;
    for (std::size_t i = 0; i < kept; ++i) {
        into[i] = values[i];
        maximum = std::max(maximum, values[i]);
    }
    doc.m_nMaxIntensity = maximum;
    index += n;
}

// The lines this program writes: runs of digits parted by single spaces. On them the
// general rule below gives each run's value, so it is read here in one pass. False,
// with nothing stored, for any other line.
bool ReadPlainIntensityLine(CVespiraDoc& doc, std::string_view line, std::size_t& index)
{
    // Runs of up to 18 digits cannot overflow 64 bits; longer ones take the general rule.
    constexpr std::ptrdiff_t kMaxDigits = 18;
    int values[kPieceLength / 2 + 1];
    std::size_t n = 0;
    const char* p = line.data();
    const char* const end = p + line.size();
    for (;;) {
        const char* const start = p;
        std::uint64_t value = 0;
        while (p != end && static_cast<unsigned char>(*p - '0') < 10) {
            value = value * 10 + static_cast<unsigned>(*p - '0');
            ++p;
        }
        const std::ptrdiff_t digits = p - start;
        if (digits == 0 || digits > kMaxDigits)
            return false;
        // Out of range saturates, as the general rule does.
        values[n++] = value > INT_MAX ? INT_MAX : static_cast<int>(value);
        if (p == end)
            break;
        if (*p != ' ' || ++p == end)
            return false;
    }
    StoreIntensities(doc, values, n, index);
    return true;
}

// Values of one intensity line: one at its start and one after every space.
void ReadIntensityLine(CVespiraDoc& doc, std::string_view line, std::size_t& index)
{
    if (ReadPlainIntensityLine(doc, line, index))
        return;
    std::size_t p = 0;
    for (;;) {
        const int value = CAtol(line.substr(p));
        StoreIntensities(doc, &value, 1, index);
        p = line.find(' ', p);
        if (p == std::string_view::npos)
            return;
        ++p;
    }
}

} // namespace

namespace {

// The text goes to its writer in pieces of about this size: a large pattern is never
// held whole, and the pieces stay in the cache.
constexpr std::size_t kWritePiece = 256 * 1024;

} // namespace

bool WritePatternText(const CVespiraDoc& doc, const ByteWriter& write)
{
    const int xDecimals = DecimalPlaces(doc.m_fXInc);
    const int yDecimals = DecimalPlaces(doc.m_fYInc);
    std::string out;
    out.reserve(kWritePiece + 1024);
    // Called after each line; false when the writer failed.
    const auto pass = [&] {
        if (out.size() < kWritePiece)
            return true;
        const bool ok = write(out);
        out.clear();
        return ok;
    };

    out += kPatternTitle;
    out += "\nFile: ";
    out += TextOf(doc.m_szFileName);
    out += "\nGMT: created: ";
    out += TextOf(doc.m_szCreatedDate);
    out += ' ';
    out += TextOf(doc.m_szCreatedTime);
    out += "  modified: ";
    out += TextOf(doc.m_szModifiedDate);
    out += ' ';
    out += TextOf(doc.m_szModifiedTime);
    out += "\nMEASURE: time: ";
    AppendFixed(out, doc.m_fMeasTime, 1);
    out += "  kv: " + FormatInt(doc.m_nKV) + "  ma: " + FormatInt(doc.m_nMA);
    out += "\nDET: dist: ";
    AppendFixed(out, doc.m_fDetDistance, 2);
    out += "  x: ";
    AppendFixed(out, doc.m_fBeamX, 2);
    out += "  y: ";
    AppendFixed(out, doc.m_fBeamY, 2);
    out += "  size: " + FormatInt(doc.m_nImageSize) + "\n";
    if (doc.m_szBackgroundFile[0] != '\0') {
        out += "BCKGRD: file: ";
        out += TextOf(doc.m_szBackgroundFile);
        out += "\nBCKGRD: x: ";
        AppendFixed(out, doc.m_fBackgroundX, 2);
        out += "  y: ";
        AppendFixed(out, doc.m_fBackgroundY, 2);
        out += "  kv: " + FormatInt(doc.m_nBackgroundKV) +
               "  ma: " + FormatInt(doc.m_nBackgroundMA) + "  time: ";
        AppendFixed(out, doc.m_fBackgroundTime, 1);
        out += '\n';
    }
    out += "X: beg: ";
    AppendFixed(out, doc.m_fXBeg, xDecimals);
    out += " end: ";
    AppendFixed(out, doc.m_fXEnd, xDecimals);
    out += " inc: ";
    AppendFixed(out, doc.m_fXInc, xDecimals);
    out += "\nY: beg: ";
    AppendFixed(out, doc.m_fYBeg, yDecimals);
    out += " end: ";
    AppendFixed(out, doc.m_fYEnd, yDecimals);
    out += " inc: ";
    AppendFixed(out, doc.m_fYInc, yDecimals);
    out += "\nBegin Radiography:\n";

    // Values " %d" packed into lines of at most 79 characters, written without the
    // leading space. Each value is formatted straight into the line; the one that does
    // not fit moves to the start of the next.
    char line[96];
    std::size_t used = 0;
    auto flush = [&] {
        if (used > 0)
            out.append(line + 1, used - 1);
        out += '\n';
        return pass();
    };
    for (const std::int32_t value : doc.m_pIntensity) {
        char* const start = line + used;
        *start = ' ';
        const char* end = std::to_chars(start + 1, line + sizeof line, value).ptr;
        const std::size_t length = static_cast<std::size_t>(end - start);
        if (length + used > 80) {
            if (!flush())
                return false;
            std::memmove(line, start, length);
            used = 0;
        }
        used += length;
    }
    if (!flush())
        return false;

    out += "End Radiography:\nBegin Selection:\n";
    int number = 0;
    for (int row = 0; row < doc.m_nYPoints; ++row) {
        for (int col = 0; col < doc.m_nXPoints; ++col) {
            const float time = doc.m_pScanTime[doc.IndexOf(col, row)];
            if (!(time > 0.0f))
                continue;
            out += FormatInt(++number);
            out += ":  x: ";
            AppendFixed(out, doc.XOf(col), xDecimals);
            out += "  y: ";
            AppendFixed(out, doc.YOf(row), yDecimals);
            out += "  time: ";
            AppendFixed(out, time, 1);
            out += '\n';
            if (!pass())
                return false;
        }
    }
    out += "End Selection:\n";
    return write(out);
}

std::string PatternFileText(const CVespiraDoc& doc)
{
    std::string text;
    text.reserve(doc.m_pIntensity.size() * 7 + 1024);
    WritePatternText(doc, [&text](std::string_view piece) {
        text.append(piece);
        return true;
    });
    return text;
}

namespace {

PatternReadResult ReadPattern(CVespiraDoc& doc, CPieceReader& reader)
{
    // Nothing else is read before the title is known to be there.
    std::string_view title;
    const std::size_t titleLength = sizeof kPatternTitle - 1;
    const bool whole = reader.Peek(titleLength, title);
    if (reader.Failed())
        return PatternReadResult::ReadError;
    if (!whole || strncasecmp(title.data(), kPatternTitle, titleLength) != 0)
        return PatternReadResult::NotPattern;

    doc.m_fMeasTime = 0.0f;
    doc.m_nKV = 0;
    doc.m_nMA = 0;
    doc.m_fDetDistance = 0.0f;
    doc.m_fBeamX = 0.0f;
    doc.m_fBeamY = 0.0f;
    doc.m_nImageSize = 0;
    doc.m_szBackgroundFile[0] = '\0';

    std::string line;
    // Axes the file does not give keep the document's.
    ScanGrid grid = doc.Grid();
    for (;;) {
        if (!reader.Next(line))
            return PatternReadResult::ReadError;
        if (ReadHeaderLine(doc, line, grid))
            break;
    }

    // A grid with no valid size is refused before anything is allocated.
    if (!ComputeGridCounts(grid)) {
        const bool tooLarge = grid.nXPoints >= 1 && grid.nYPoints >= 1;
        return tooLarge ? PatternReadResult::GridTooLarge : PatternReadResult::ReadError;
    }
    if (!doc.SetUpGrid(grid))
        return PatternReadResult::ReadError;

    std::size_t index = 0;
    for (std::string_view piece;;) {
        if (!reader.Next(piece))
            return PatternReadResult::ReadError;
        if (StartsWith(piece, "End"))
            break;
        ReadIntensityLine(doc, piece, index);
    }

    if (!reader.Next(line))
        return PatternReadResult::ReadError;

    for (;;) {
        if (!reader.Next(line))
            return PatternReadResult::ReadError;
        if (StartsWith(line, "End"))
            break;
        const int col = doc.ColumnOf(FloatAfter(line, "x:"));
        const int row = doc.RowOf(FloatAfter(line, "y:"));
        // Outside any step: the history starts at the selection read.
        doc.SetScanTime(col, row, FloatAfter(line, "time:"));
    }
    return PatternReadResult::Ok;
}

} // namespace

PatternReadResult ReadPatternText(CVespiraDoc& doc, std::string_view text)
{
    CPieceReader reader([&text](char* into, std::size_t size) {
        const std::size_t n = std::min(size, text.size());
        std::memcpy(into, text.data(), n);
        text.remove_prefix(n);
        return static_cast<std::ptrdiff_t>(n);
    });
    return ReadPattern(doc, reader);
}

bool WritePatternFile(CVespiraDoc& doc, const QByteArray& path, std::string* reason)
{
    char oldName[sizeof doc.m_szFileName];
    std::memcpy(oldName, doc.m_szFileName, sizeof oldName);
    CopyText(doc.m_szFileName, FileNameOf(std::string_view(path.constData(), path.size())));
    const bool written = WriteFileReplacing(
        path, [&doc](const ByteWriter& write) { return WritePatternText(doc, write); }, reason);
    if (!written) {
        std::memcpy(doc.m_szFileName, oldName, sizeof oldName);
        return false;
    }
    return true;
}

int OpenPatternFile(const QByteArray& path)
{
    // Without O_NONBLOCK, opening a FIFO would wait for a writer; only then can fstat
    // tell a device, FIFO or folder from a regular file.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

PatternReadResult ReadPatternFileQuietly(CVespiraDoc& doc, const QByteArray& path)
{
    const int fd = OpenPatternFile(path);
    if (fd < 0)
        return PatternReadResult::CannotOpen;
    CPieceReader reader([fd](char* into, std::size_t size) -> std::ptrdiff_t {
        for (;;) {
            const ssize_t got = ::read(fd, into, size);
            if (got >= 0 || errno != EINTR)
                return got;
        }
    });
    const PatternReadResult result = ReadPattern(doc, reader);
    ::close(fd);
    return result;
}

bool ReadPatternFile(CVespiraDoc& doc, const QByteArray& path)
{
    switch (ReadPatternFileQuietly(doc, path)) {
    case PatternReadResult::Ok:
        return true;
    case PatternReadResult::NotPattern:
        doc.Services().ui.ShowMessage(QString::fromLatin1(kNotPatternMessage));
        return false;
    case PatternReadResult::ReadError:
    case PatternReadResult::GridTooLarge:
        doc.Services().ui.ShowMessage(QString::fromLatin1(kReadErrorMessage));
        return false;
    case PatternReadResult::CannotOpen:
        return false;
    }
    return false;
}
