#include "tools/vespira-rad/ExchangeCommands.h"

#include "base/FilePath.h"
#include "document/CVespiraDoc.h"
#include "exchange/NexusFile.h"
#include "exchange/TiffExport.h"
#include "tools/vespira-rad/ToolMessages.h"

#include <QString>

#include <cerrno>
#include <cstdio>
#include <string>

namespace {

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
    return ReadPattern(doc, path);
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
    errno = 0;
    const bool written = IsTiffName(out)
                             ? WriteTiffFile(doc, path)
                             : WriteNexusFile(doc, DisplayPath(FileNameOf(QByteArray(in))), path);
    return written ? 0 : CannotWrite(out);
}
