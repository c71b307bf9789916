#pragma once

#include "document/CVespiraDoc.h"

#include <QByteArray>

#include <string>

// The intensities as a TIFF image for image tools: one signed 32-bit sample per pixel, a
// pixel per grid point, row 0 (the top row of the view's default orientation) first.

// The whole file, as the bytes to write; empty when it could not be made.
std::string TiffFileImage(const CVespiraDoc& doc);

// Writes the file through a temporary one, so a failed write leaves an old file as it was.
bool WriteTiffFile(const CVespiraDoc& doc, const QByteArray& path);
