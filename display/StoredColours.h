#pragma once

#include <QString>

class QSettings;
struct ProgramColours;

// The colours' part of the settings file: "Border", "Selection", "ActiveTarget",
// "Foreground", "Background" (REG_DWORD colours), "Brightness", "Contrast" and
// "LUT filename", in the group s has entered.

// Values absent or not numbers keep what colours holds.
void ReadStoredColours(const QSettings& s, ProgramColours& colours);
void WriteStoredColours(QSettings& s, const ProgramColours& colours);

enum class StoredColoursRead
{
    // No file, or no group "Settings" in it: colours are left as they are.
    None,
    // The stored colours, with the colour table made from the look-up table they name
    // and the stored brightness and contrast, as the program starts with them.
    Loaded,
    // The file is there but cannot be read as settings: colours are left as they are.
    Unreadable
};

// The colours the program would start with from the settings file at path.
StoredColoursRead LoadStoredColours(const QString& path, ProgramColours& colours);
