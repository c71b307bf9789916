#include "tools/vespira-rad/ToolMessages.h"

#include "document/CPatternFile.h"
#include "document/CVespiraDoc.h"
#include "document/PatternRange.h"
#include "document/ScanGrid.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>
#include <sys/stat.h>

IHostUi::Answer CToolUi::ShowMessage(const QString& text, Buttons, Answer defaultAnswer)
{
    QString line = MessageLine(text);
    line.remove(0, static_cast<qsizetype>(std::strlen("message: ")));
    std::fprintf(stderr, "vespira-rad: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
    return defaultAnswer;
}

bool HasSuffix(const char* path, const char* suffix)
{
    const std::size_t length = std::strlen(path);
    const std::size_t end = std::strlen(suffix);
    return length >= end && strcasecmp(path + length - end, suffix) == 0;
}

bool ReadPattern(CVespiraDoc& doc, const char* path)
{
    switch (ReadPatternFileQuietly(doc, QByteArray(path))) {
    case PatternReadResult::Ok:
        // An automatic or percentile range, or a log scale, needs the values summarised.
        RefreshRange(doc);
        return true;
    case PatternReadResult::NotPattern:
        std::fprintf(stderr, "vespira-rad: %s: %s\n", path, kNotPatternMessage);
        return false;
    case PatternReadResult::ReadError:
        std::fprintf(stderr, "vespira-rad: %s: %s\n", path, kReadErrorMessage);
        return false;
    case PatternReadResult::GridTooLarge:
        std::fprintf(stderr,
                     "vespira-rad: %s: its grid has more than the %lld points a pattern can "
                     "have\n",
                     path, static_cast<long long>(kMaxGridPoints));
        return false;
    case PatternReadResult::CannotOpen:
        CannotOpen(path);
        return false;
    }
    return false;
}

void CannotOpen(const char* path)
{
    struct stat info
    {};
    const char* reason = "not a regular file";
    if (::stat(path, &info) != 0)
        reason = std::strerror(errno);
    else if (S_ISDIR(info.st_mode))
        reason = std::strerror(EISDIR);
    std::fprintf(stderr, "vespira-rad: cannot open %s: %s\n", path, reason);
}

int CannotWrite(const char* path)
{
    const int error = errno;
    if (error == 0)
        std::fprintf(stderr, "vespira-rad: cannot write %s\n", path);
    else
        std::fprintf(stderr, "vespira-rad: cannot write %s: %s\n", path, std::strerror(error));
    return 1;
}
