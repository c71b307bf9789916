#pragma once

#include "app/CDocManager.h"
#include "app/CQtHostUi.h"
#include "app/CSettings.h"
#include "app/CommandLine.h"
#include "app/ProgramState.h"
#include "document/DocumentServices.h"
#include "link/JobFields.h"

#include <QObject>

#include <memory>

class CLiveViewCommands;
class CMainFrame;
class CSingleInstance;
class CPipeListener;
class CRemoteCommandHandler;
class CScanJournal;
class IRemoteHost;

// The application object: owns the settings, the program-wide state, the document
// manager and the main window for the whole run; starts the program in its fixed start-up
// order (InitInstance) and writes the settings at a normal exit (ExitInstance).
// A QApplication must exist before it is made.
class CVespiraApp : public QObject
{
    Q_OBJECT

public:
    // settingsPath: the settings file (default: $XDG_CONFIG_HOME/Merovant/ORMA Radiography.conf).
    explicit CVespiraApp(QString settingsPath = CSettings::DefaultFilePath(),
                         QObject* parent = nullptr);
    ~CVespiraApp() override;

    enum class StartResult
    {
        Run,        // the main window is up: run the event loop
        HandedOver, // another copy runs and took the file: end with status 0
        Printed,    // the file asked for on the command line was printed: status 0
        Failed      // the main window could not be made, or the print failed: status 1
    };

    // Start-up, steps 1 to 15.
    StartResult InitInstance(const CommandLineInfo& commandLine);
    // Shutdown: writes the settings and the recent-file list; errors are ignored.
    void ExitInstance();
    // InitInstance, the event loop, ExitInstance; the process's exit status.
    int Run(const CommandLineInfo& commandLine);

    // Skips the single-instance check (tests that run several application objects).
    void SetSingleInstanceCheck(bool enabled) { m_bSingleInstanceCheck = enabled; }

    ProgramState& State() { return m_state; }
    DocumentServices& Services() { return m_services; }
    CDocManager& DocManager() { return m_docs; }
    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }
    CLiveViewCommands* LiveView() const { return m_pLiveView; }
    IRemoteHost* RemoteHost() const;
    CSingleInstance* SingleInstance() const { return m_pInstance.get(); }

    // The start-up values of step 7 (those that depend on the desktop: Foreground and
    // Background from the system's text and window colours).
    static void SetStartupValues(ProgramState& state);

private:
    // Step 8's second half, only when stored settings existed: the look-up table named
    // by "LUT filename" and the colour table computed from it with the stored brightness
    // and contrast (display/: LoadStartupColours).
    void LoadLookupTable();
    // Step 15, the last step of start-up: the instrument link's pipe listener, whose
    // requests the remote command handler carries out in the main window.
    void StartPipeListener();
    // Step 13 for "/p FILE": the file on the default printer, without showing a window
    // or a box; what went wrong goes to standard error.
    StartResult PrintFromCommandLine(const QByteArray& file);
    // Before the listener: the journal of the scans to come, and the scans that a copy
    // which died left behind, offered back.
    void StartScanJournal();

    CQtHostUi m_ui;
    DocumentServices m_services;
    ProgramState m_state;
    JobFields m_job;
    // Outlives the documents, which report to it until they are gone. None when
    // $VESPIRA_SCAN_JOURNAL is "off" (the benchmark's comparison run).
    std::unique_ptr<CScanJournal> m_pScanJournal;
    CSettings m_settings;
    CDocManager m_docs;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    // Owned by the main window, whose command it handles.
    CLiveViewCommands* m_pLiveView = nullptr;
    std::unique_ptr<CSingleInstance> m_pInstance;
    std::unique_ptr<CRemoteCommandHandler> m_pRemoteHandler;
    std::unique_ptr<CPipeListener> m_pPipeListener;
    ShowState m_showState = ShowState::Default;
    bool m_bSingleInstanceCheck = true;
};

// The program: parses the command line (--help and --version without a display),
// makes the QApplication and the application object, and runs it.
int VespiraMain(int argc, char** argv);
