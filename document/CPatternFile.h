#pragma once

#include "base/FilePath.h"

#include <QByteArray>

#include <string>
#include <string_view>

class CVespiraDoc;

// The Pattern & Selection file (".rad").

inline constexpr char kPatternTitle[] = "ORMA Radiography Pattern & Selection File";
inline constexpr char kNotPatternMessage[] = "Requested file in not a ORMA Radiography document";
inline constexpr char kReadErrorMessage[] =
    "Error reading requested file as a ORMA Radiography document";

enum class PatternReadResult
{
    Ok,
    NotPattern,
    ReadError,
    // A read error whose cause is a grid of more than kMaxGridPoints points.
    GridTooLarge,
    // The path names no regular file that can be opened.
    CannotOpen
};

// The whole file text for a document, lines ending in LF.
std::string PatternFileText(const CVespiraDoc& doc);

// The same text handed to `write` in pieces; false as soon as a piece was not written.
bool WritePatternText(const CVespiraDoc& doc, const ByteWriter& write);

// Reads file text into the document as the reader does, without messages.
PatternReadResult ReadPatternText(CVespiraDoc& doc, std::string_view text);

// Writes the file: sets the document's file name from the path (its bytes as given),
// writes through a temporary file and renames it over the target, so a failed save
// leaves an existing file untouched. False when anything failed, with why in `reason`
// when given; the document then keeps its file name.
bool WritePatternFile(CVespiraDoc& doc, const QByteArray& path, std::string* reason = nullptr);

// Opens a pattern file for reading: a descriptor of a regular file, or -1 when the path
// cannot be opened or names a device, FIFO or folder. Never waits for a writer.
int OpenPatternFile(const QByteArray& path);

// Reads the file into the document without messages, so a caller can tell why it failed.
PatternReadResult ReadPatternFileQuietly(CVespiraDoc& doc, const QByteArray& path);

// Reads the file into the document; shows the reader's messages through the document's
// host. False when the file cannot be opened (no message) or is not read to its end.
bool ReadPatternFile(CVespiraDoc& doc, const QByteArray& path);
