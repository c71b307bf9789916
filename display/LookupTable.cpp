#include "display/LookupTable.h"

#include "base/NumberText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

// Longest path the file can have, as the 256-byte path buffer allowed.
constexpr std::size_t kMaxPath = 255;
// Characters of a line that are looked at; the rest of a longer line is skipped, so a
// long line stays one line and a huge one cannot exhaust memory.
constexpr std::size_t kKeptLineLength = 4096;

// Reads one line without its line end (LF, or CR LF as text mode gave it); false at the
// end of the file.
bool ReadLine(std::FILE* file, std::string& line)
{
    line.clear();
    int c = std::fgetc(file);
    if (c == EOF)
        return false;
    while (c != EOF && c != '\n') {
        if (line.size() < kKeptLineLength)
            line.push_back(static_cast<char>(c));
        c = std::fgetc(file);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

COLORREF ColourOfLine(const std::string& line)
{
    int rgb[3] = {0, 0, 0};
    int found = 0;
    std::size_t pos = 0;
    while (found < 3) {
        pos = line.find_first_not_of(" ,\t", pos);
        if (pos == std::string::npos)
            break;
        const std::size_t end = line.find_first_of(" ,\t", pos);
        const std::string token = line.substr(pos, end == std::string::npos ? end : end - pos);
        rgb[found++] = CAtol(token.c_str());
        if (end == std::string::npos)
            break;
        pos = end;
    }
    return Rgb(rgb[0], rgb[1], rgb[2]);
}

} // namespace

std::optional<std::string> BundledLookupTableDirectory(const QString& programDir)
{
    const QString path = QDir::cleanPath(programDir + QStringLiteral("/" VESPIRA_LUT_FROM_BIN));
    if (!QFileInfo(path).isDir())
        return std::nullopt;
    return path.toLocal8Bit().toStdString() + '/';
}

std::optional<std::string> LookupTableDirectory()
{
    const char* value = std::getenv("ORMA$SYSDATA:");
    if (value == nullptr)
        value = std::getenv("ORMA_SYSDATA");
    if (value == nullptr || *value == '\0') {
        if (QCoreApplication::instance() == nullptr)
            return std::nullopt;
        return BundledLookupTableDirectory(QCoreApplication::applicationDirPath());
    }
    std::string directory = value;
    if (directory.back() != '/')
        directory += '/';
    return directory;
}

int ReadLookupTable(std::string_view fileName, ColourTable& table)
{
    const std::optional<std::string> directory = LookupTableDirectory();
    if (!directory)
        return kLutNoDirectory;
    return ReadLookupTableFrom(*directory, fileName, table);
}

int ReadLookupTableFrom(const std::string& directory, std::string_view fileName, ColourTable& table)
{
    const std::string path = directory + std::string(fileName);
    if (path.size() > kMaxPath || fileName.empty() || path.find('\0') != std::string::npos)
        return kLutCannotOpen;
    // Only a regular file: a directory gives nothing to read and a pipe could block.
    struct stat info
    {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return kLutCannotOpen;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return kLutCannotOpen;
    const int result = ReadLookupTableStream(file, table);
    std::fclose(file);
    return result;
}

int ReadLookupTableStream(std::FILE* file, ColourTable& table)
{
    std::string line;
    if (!ReadLine(file, line) || !ReadLine(file, line))
        return kLutNoHeader;
    for (std::size_t k = 0; k < 64; ++k) {
        if (!ReadLine(file, line))
            return kLutShort;
        const COLORREF colour = ColourOfLine(line);
        for (std::size_t i = 0; i < 4; ++i)
            table[4 * k + i] = colour;
    }
    return kLutDone;
}

QStringList ListLookupTables()
{
    const std::optional<std::string> directory = LookupTableDirectory();
    if (!directory)
        return {};
    QDir dir(QString::fromLocal8Bit(*directory));
    dir.setNameFilters({QStringLiteral("*.lut")});
    dir.setFilter(QDir::Files | QDir::Readable);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryList();
}
