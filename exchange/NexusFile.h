#pragma once

#include "document/CVespiraDoc.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

// Patterns as NeXus/HDF5 files, the form in which analysis tools of X-ray facilities read
// maps: an NXentry with the title and start time; an NXdata "data" with the intensities as
// its 2-D signal (rows by columns, row 0 at the top), the X and Y positions in mm as its
// axes and the scan times beside them; the targets as a table of X, Y and time; and every
// header field of the pattern in the group "header".

// The whole file, as the bytes to write; empty when it could not be made.
std::string NexusFileImage(const CVespiraDoc& doc, const QString& title);

// Writes the file through a temporary one, so a failed write leaves an old file as it was.
bool WriteNexusFile(const CVespiraDoc& doc, const QString& title, const QByteArray& path);

// True when the bytes begin an HDF5 file: its signature at offset 0 or at 512, 1024, ...
// (after a user block), as far as they reach.
bool HasHdf5Signature(std::string_view bytes);
// The same for a file's first bytes; false when it cannot be read.
bool HasHdf5Signature(const QByteArray& path);

// A map read from a file: its entry's title (empty when it has none).
struct NexusMapInfo
{
    std::string title;
};

// Reads the NXdata map of a file image into the document: its grid from the two axes,
// the intensities, and where the file has them (the program's own export) the scan
// times and the header. A map that cannot be taken over exactly (no NXdata with a 2-D
// signal, an axis that is not regular or not a length, values that are not whole counts
// in 32 bits) is refused with the reason in `error`, and the document is not changed.
bool ReadNexusImage(CVespiraDoc& doc, std::string_view image, std::string& error,
                    NexusMapInfo* info = nullptr);
// The same for a file.
bool ReadNexusFile(CVespiraDoc& doc, const QByteArray& path, std::string& error,
                   NexusMapInfo* info = nullptr);
