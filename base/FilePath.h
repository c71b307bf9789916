#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <string>
#include <string_view>

// Paths are byte strings on Linux. They travel as bytes from where they come in (the
// instrument, the command line, the recent-file list) to the file system, because a
// name that is not UTF-8 cannot go through a QString and come back the same.

// The file name of a path: the part after its last "/" or backslash.
std::string_view FileNameOf(std::string_view path);
QByteArray FileNameOf(const QByteArray& path);

// A path for captions and messages; bytes that are not UTF-8 show as replacement marks.
QString DisplayPath(const QByteArray& path);

// The path made absolute from the working folder, without touching the file system.
QByteArray AbsolutePath(const QByteArray& path);

// The canonical path of an existing file, else the absolute path.
QByteArray NormalisedPath(const QByteArray& path);

// The bytes of a path that Qt hands over as text (file dialogs, dropped files). A name
// that was not UTF-8 arrives with replacement marks; each such part is matched against
// the folder's entries to find the name it stands for.
QByteArray PathFromUser(const QString& path);

// Writes `bytes` to a new file in the folder of `path` and renames it over `path`, so a
// failed write leaves an existing file as it was. An existing file keeps its permissions;
// saving through a symbolic link replaces the file it points at. False when anything
// failed, errno then telling why (EISDIR for a folder, ENOSPC for a full disk, 0 when a
// piece could not be made) and `reason` (when given) in words ("No space left on
// device", "it is a folder"); a path naming a device, FIFO or folder is refused.
bool WriteFileReplacing(const QByteArray& path, std::string_view bytes,
                        std::string* reason = nullptr);

// Takes the next piece of a file's bytes; false when it could not be written.
using ByteWriter = std::function<bool(std::string_view)>;

// As above, for bytes made piece by piece: `produce` hands each piece to the writer it is
// given, so a large file is never held whole, and returns false when a write failed.
bool WriteFileReplacing(const QByteArray& path,
                        const std::function<bool(const ByteWriter&)>& produce,
                        std::string* reason = nullptr);
