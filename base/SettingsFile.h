#pragma once

#include <QString>
#include <QtGlobal>

class QFileInfo;
class QSettings;

// The program's settings file and the reading of its values, shared by the program and
// the command-line tool so that both see the same settings.

// $XDG_CONFIG_HOME/Merovant/ORMA Radiography.conf: named as QSettings names the user's
// file, but not through a QSettings, which reads the file as it is made (a FIFO there
// would hold the caller).
QString ProgramSettingsPath();

// A file that is there but cannot be read as settings: not a regular file, or unreadable.
bool SettingsFileUnreadable(const QFileInfo& info);

// A REG_DWORD value: the low 32 bits of a whole number. False (out unchanged) when the
// value is absent or not a number.
bool ReadDword(const QSettings& s, const QString& name, quint32& out);
bool ReadInt(const QSettings& s, const QString& name, int& out);
bool ReadDouble(const QSettings& s, const QString& name, double& out);
