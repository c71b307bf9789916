#include "exchange/TiffExport.h"

#include "base/DecimalPlaces.h"
#include "base/FilePath.h"
#include "base/NumberText.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// libtiff writes through these into a growing buffer.
struct MemoryFile
{
    std::string bytes;
    toff_t position = 0;
};

tmsize_t ReadMemory(thandle_t handle, void* into, tmsize_t size)
{
    auto* file = static_cast<MemoryFile*>(handle);
    if (size < 0 || file->position >= file->bytes.size())
        return 0;
    const std::size_t n =
        std::min(static_cast<std::size_t>(size), file->bytes.size() - file->position);
    std::memcpy(into, file->bytes.data() + file->position, n);
    file->position += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t WriteMemory(thandle_t handle, void* from, tmsize_t size)
{
    auto* file = static_cast<MemoryFile*>(handle);
    if (size < 0)
        return -1;
    const std::size_t end = file->position + static_cast<std::size_t>(size);
    if (end > file->bytes.size())
        file->bytes.resize(end);
    std::memcpy(file->bytes.data() + file->position, from, static_cast<std::size_t>(size));
    file->position = end;
    return size;
}

toff_t SeekMemory(thandle_t handle, toff_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(handle);
    toff_t base = 0;
    if (whence == SEEK_CUR)
        base = file->position;
    else if (whence == SEEK_END)
        base = file->bytes.size();
    file->position = base + offset;
    return file->position;
}

int CloseMemory(thandle_t)
{
    return 0;
}

toff_t SizeOfMemory(thandle_t handle)
{
    return static_cast<MemoryFile*>(handle)->bytes.size();
}

int MapMemory(thandle_t, void**, toff_t*)
{
    return 0;
}

void UnmapMemory(thandle_t, void*, toff_t) {}

// libtiff's warnings and errors stay off standard error; a failure shows in the result.
void Silent(const char*, const char*, va_list) {}

} // namespace

std::string TiffFileImage(const CVespiraDoc& doc)
{
    const std::size_t points = static_cast<std::size_t>(doc.PointCount());
    if (doc.m_nXPoints < 1 || doc.m_nYPoints < 1 || doc.m_pIntensity.size() != points)
        return {};
    const TIFFErrorHandler oldError = TIFFSetErrorHandler(Silent);
    const TIFFErrorHandler oldWarning = TIFFSetWarningHandler(Silent);
    MemoryFile memory;
    memory.bytes.reserve(points * 4 + 4096);
    bool ok = false;
    if (TIFF* tiff =
            TIFFClientOpen("pattern.tif", "w", &memory, ReadMemory, WriteMemory, SeekMemory,
                           CloseMemory, SizeOfMemory, MapMemory, UnmapMemory)) {
        const int xDecimals = DecimalPlaces(doc.m_fXInc);
        const int yDecimals = DecimalPlaces(doc.m_fYInc);
        const std::string description =
            "Vespira pattern intensities (counts); X " + FormatFixed(doc.m_fXBeg, xDecimals) +
            " mm by " + FormatFixed(doc.m_fXInc, xDecimals) + " mm left to right, Y " +
            FormatFixed(doc.m_fYEnd, yDecimals) + " mm by -" + FormatFixed(doc.m_fYInc, yDecimals) +
            " mm top to bottom";
        // A strip of about 64 KB keeps readers' memory small on large patterns.
        const auto rowsPerStrip = static_cast<std::uint32_t>(
            std::max<std::size_t>(1, 65536 / (static_cast<std::size_t>(doc.m_nXPoints) * 4)));
        ok = TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(doc.m_nXPoints)) &&
             TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(doc.m_nYPoints)) &&
             TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 32) &&
             TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1) &&
             TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_INT) &&
             TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK) &&
             TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
             TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
             TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE) &&
             TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip) &&
             TIFFSetField(tiff, TIFFTAG_SOFTWARE, "Vespira") &&
             TIFFSetField(tiff, TIFFTAG_IMAGEDESCRIPTION, description.c_str());
        for (int row = 0; ok && row < doc.m_nYPoints; ++row) {
            auto* line = const_cast<std::int32_t*>(doc.m_pIntensity.data() +
                                                   static_cast<std::size_t>(doc.IndexOf(0, row)));
            ok = TIFFWriteScanline(tiff, line, static_cast<std::uint32_t>(row), 0) == 1;
        }
        ok = ok && TIFFFlush(tiff) == 1;
        TIFFClose(tiff);
    }
    TIFFSetErrorHandler(oldError);
    TIFFSetWarningHandler(oldWarning);
    return ok ? std::move(memory.bytes) : std::string();
}

bool WriteTiffFile(const CVespiraDoc& doc, const QByteArray& path)
{
    const std::string image = TiffFileImage(doc);
    return !image.empty() && WriteFileReplacing(path, image);
}
