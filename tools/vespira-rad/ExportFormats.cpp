#include "tools/vespira-rad/ExchangeCommands.h"

#include "base/FilePath.h"
#include "document/CPatternFile.h"
#include "document/CVespiraDoc.h"
#include "exchange/NexusFile.h"
#include "exchange/TiffExport.h"

#include <QString>

#include <cstdio>
#include <string>
#include <strings.h>
#include <unistd.h>

namespace {

bool HasSuffix(const char* path, const char* suffix)
{
    const std::string text(path);
    const std::string end(suffix);
    return text.size() >= end.size() &&
           strcasecmp(text.c_str() + text.size() - end.size(), end.c_str()) == 0;
}

bool IsNexusName(const char* path)
{
    return HasSuffix(path, ".nxs") || HasSuffix(path, ".h5") || HasSuffix(path, ".hdf5") ||
           HasSuffix(path, ".nx5");
}

bool IsTiffName(const char* path)
{
    return HasSuffix(path, ".tif") || HasSuffix(path, ".tiff");
}

} // namespace

bool ReadPatternOrMap(CVespiraDoc& doc, const char* path)
{
    const QByteArray file(path);
    if (HasHdf5Signature(file)) {
        std::string error;
        if (ReadNexusFile(doc, file, error))
            return true;
        std::fprintf(stderr, "vespira-rad: %s cannot be opened as a map: %s\n", path,
                     error.c_str());
        return false;
    }
    if (doc.OnOpenDocument(file))
        return true;
    const int fd = OpenPatternFile(file);
    if (fd < 0)
        std::fprintf(stderr, "vespira-rad: cannot open %s\n", path);
    else
        ::close(fd);
    return false;
}

bool IsExchangeExport(const char* out)
{
    return IsNexusName(out) || IsTiffName(out);
}

int ExportFormat(CVespiraDoc& doc, const char* in, const char* out)
{
    if (!ReadPatternOrMap(doc, in))
        return 1;
    const QByteArray path(out);
    const bool written = IsTiffName(out)
                             ? WriteTiffFile(doc, path)
                             : WriteNexusFile(doc, DisplayPath(FileNameOf(QByteArray(in))), path);
    if (!written) {
        std::fprintf(stderr, "vespira-rad: cannot write %s\n", out);
        return 1;
    }
    return 0;
}
