#pragma once

#include "web/LiveViewSettings.h"

#include <QByteArrayList>
#include <QString>
#include <QStringList>

struct ProgramState;

// How the main window is shown at start-up.
enum class ShowState
{
    Default,
    Normal,
    Maximized,
    Minimized
};

struct SettingsReadResult
{
    // The settings were there and readable (the registry key opened): only then are
    // the look-up table they name loaded and the colour table computed from it.
    bool keyOpened = false;
    // The file was there but could not be read or parsed; start-up values are used.
    bool unreadable = false;
    // The main window's show state after "WndMaximized".
    ShowState showState = ShowState::Default;
};

// The persistent settings: QSettings with organisation "Merovant", application
// "ORMA Radiography", group "Settings", the value names of the registry, integers as
// integers and the four 3D values as doubles. On Linux the file is
// $XDG_CONFIG_HOME/Merovant/ORMA Radiography.conf. The recent-file list is kept in the
// same file, group "Recent File List", "File1" to "File3".
class CSettings
{
public:
    explicit CSettings(QString filePath = DefaultFilePath());

    static QString DefaultFilePath();
    QString FilePath() const { return m_strPath; }

    // Step 8 of start-up without the look-up table that follows it: reads every value
    // in the table's order into the state. An absent value keeps its start-up value
    // ("WndLeft" becomes -1); "WndMaximized" decides the show state only when read and
    // the program was not started minimised; "ZRotation" read sets the 3D flag;
    // "ContourLevels" and the 3D values are taken over only when their read succeeds.
    // A missing, unreadable or corrupt file changes nothing.
    SettingsReadResult Read(ProgramState& state, ShowState startShow = ShowState::Default) const;

    // Step 2 of shutdown: writes the values in the stated order, the 3D ones only while
    // the 3D flag is set, the 3D window's size once it was closed. False when the file could not be
    // written (callers ignore it).
    bool Write(const ProgramState& state) const;

    // Paths as bytes: one that is not UTF-8 is stored as a byte array.
    QByteArrayList ReadRecentFiles() const;
    bool WriteRecentFiles(const QByteArrayList& files) const;
    // The folder Open and Save As start in, beside the recent files (group "File Dialogs",
    // "LastFolder"); empty when none was stored.
    QString ReadLastFolder() const;
    bool WriteLastFolder(const QString& folder) const;

    // The live view's choices (group "Live View"); the token only while it is kept.
    LiveViewSettings ReadLiveView() const;
    bool WriteLiveView(const LiveViewSettings& live) const;

    static constexpr int kRecentFileCount = 3;

private:
    QString m_strPath;
};
