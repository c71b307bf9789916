#include "app/CLiveViewCommands.h"

#include "app/CDocManager.h"
#include "app/CMainFrame.h"
#include "app/CSettings.h"
#include "app/CommandIds.h"
#include "app/CommandLine.h"
#include "app/ProgramState.h"
#include "document/IHostUi.h"
#include "web/CLiveViewSharing.h"
#include "web/dialogs/CShareLiveViewDlg.h"

#include <cstdio>

CLiveViewCommands::CLiveViewCommands(CMainFrame& frame, IHostUi& ui, CLiveScan& scan,
                                     const ProgramState& state, CDocManager& docs,
                                     const CSettings& settings)
    : QObject(&frame), m_frame(frame), m_ui(ui)
{
    auto documents = [&docs] { return docs.Documents(); };
    auto look = [&state] {
        return LiveViewLook{state.view.orientation, state.view.overlay, state.colours.selection,
                            state.colours.activeTarget, state.colours.notMeasured};
    };
    auto save = [&settings](const LiveViewSettings& live) { settings.WriteLiveView(live); };
    m_pSharing =
        std::make_unique<CLiveViewSharing>(scan, documents, look, settings.ReadLiveView(), save);
    m_frame.SetCommandHandler(ID_SHARE_LIVE_VIEW, [this] { OnShareLiveView(); });
}

CLiveViewCommands::~CLiveViewCommands() = default;

void CLiveViewCommands::StartAtLaunch(const CommandLineInfo& commandLine)
{
    if (!commandLine.shareLive && !m_pSharing->Settings().share)
        return;
    QString error;
    if (!m_pSharing->Share(error, commandLine.shareLivePort)) {
        m_ui.ShowNotice(QStringLiteral("The live view could not be shared: %1").arg(error));
        return;
    }
    std::printf("live view: %s\n", qPrintable(m_pSharing->Server().Address()));
    std::fflush(stdout);
}

void CLiveViewCommands::OnShareLiveView()
{
    CShareLiveViewDlg dialog(*m_pSharing, &m_frame);
    m_ui.ExecDialog(dialog);
}
