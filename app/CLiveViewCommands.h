#pragma once

#include <QObject>

#include <memory>

class CDocManager;
class CLiveViewSharing;
class CMainFrame;
class CLiveScan;
class CSettings;
class IHostUi;
struct CommandLineInfo;
struct ProgramState;

// View > Share Live View... and --share-live: the live view in a web browser, shared as
// the settings or the command line ask, its choices written back to the settings.
class CLiveViewCommands : public QObject
{
    Q_OBJECT

public:
    // state: the colours and view switches the page follows.
    CLiveViewCommands(CMainFrame& frame, IHostUi& ui, CLiveScan& scan, const ProgramState& state,
                      CDocManager& docs, const CSettings& settings);
    ~CLiveViewCommands() override;

    // At start-up: shares when the command line or the settings ask, and prints the
    // address as one line "live view: ADDRESS" on standard output.
    void StartAtLaunch(const CommandLineInfo& commandLine);
    void OnShareLiveView();

    CLiveViewSharing& Sharing() { return *m_pSharing; }

private:
    CMainFrame& m_frame;
    IHostUi& m_ui;
    std::unique_ptr<CLiveViewSharing> m_pSharing;
};
