#include "app/CVespiraApp.h"

#include "app/CActiveViewCommands.h"
#include "app/CChildFrame.h"
#include "app/CLiveViewCommands.h"
#include "app/CMainFrame.h"
#include "app/CScanRecovery.h"
#include "app/CSingleInstance.h"
#include "app/CSplashWnd.h"
#include "app/Resources.h"
#include "base/FilePath.h"
#include "display/ColourSettings.h"
#include "display/ColourTransform.h"
#include "journal/CScanJournal.h"
#include "link/CPipeListener.h"
#include "link/CRemoteCommandHandler.h"
#include "link/PipeDirectory.h"
#include "view/CVespiraView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QPalette>

#include <clocale>
#include <cstdio>
#include <unistd.h>

CVespiraApp::CVespiraApp(QString settingsPath, QObject* parent)
    : QObject(parent), m_services(m_ui), m_settings(std::move(settingsPath)),
      m_docs(m_services,
             ViewContext{m_services, m_state.colours, m_state.view, m_state.tools, m_job}, m_ui)
{
    m_services.newGridColours = &m_state.colours.display;
}

CVespiraApp::~CVespiraApp()
{
    // No remote command may reach a main window that is going.
    m_pPipeListener.reset();
    m_pRemoteHandler.reset();
    m_ui.SetMainFrame(nullptr);
    m_pLiveView = nullptr;
    // The windows go before the documents they show.
    m_pMainFrame.reset();
}

IRemoteHost* CVespiraApp::RemoteHost() const
{
    return m_pMainFrame.get();
}

void CVespiraApp::SetStartupValues(ProgramState& state)
{
    state.tools.tool = CursorTool::Arrow;
    state.view.overlay = true;
    ProgramColours& colours = state.colours;
    colours = ProgramColours{};
    const QPalette palette = QApplication::palette();
    const QColor window = palette.color(QPalette::Active, QPalette::Base);
    const QColor text = palette.color(QPalette::Active, QPalette::Text);
    colours.background = Rgb(window.red(), window.green(), window.blue());
    colours.foreground = Rgb(text.red(), text.green(), text.blue());
    // The values under which the table is unchanged: the first run, which applies none,
    // shows what every later run shows after storing and applying them.
    colours.display.nBrightness = kNeutralBrightnessContrast;
    colours.display.nContrast = kNeutralBrightnessContrast;
    state.plot3d = Plot3DSettings{};
    state.placement = WindowPlacement{};
}

CVespiraApp::StartResult CVespiraApp::InitInstance(const CommandLineInfo& commandLine)
{
    // 1. The command line's splash switch.
    CSplashWnd::EnableSplashScreen(commandLine.splash);

    // A print run shows nothing; its messages go to standard error.
    if (commandLine.print) {
        CSplashWnd::EnableSplashScreen(false);
        m_ui.SetStderrOnly(true);
    }

    // 2. Single instance: a running copy takes the file and comes to the front. A print
    // run prints itself: handing it over would lose the print.
    if (m_bSingleInstanceCheck && !commandLine.print) {
        const PipeDirectoryResult dir = PipeDirectory();
        if (!dir.ok()) {
            m_ui.ShowMessage(dir.error);
        } else {
            m_pInstance = std::make_unique<CSingleInstance>(dir.path + QLatin1Char('/') +
                                                            QLatin1String(kInstanceSocketName));
            const QByteArray file = AbsolutePath(commandLine.fileName);
            switch (m_pInstance->Start(file)) {
            case CSingleInstance::Result::First:
                break;
            case CSingleInstance::Result::HandedOver:
                m_pInstance.reset();
                return StartResult::HandedOver;
            case CSingleInstance::Result::NoAnswer:
                // Never a second copy beside the first: both would take the instrument's
                // requests.
                std::fprintf(stderr, "vespira: %s; this copy ends\n",
                             m_pInstance->Error().toLocal8Bit().constData());
                m_pInstance.reset();
                return StartResult::Failed;
            case CSingleInstance::Result::NoGuard:
                std::fprintf(stderr, "vespira: %s; running without the single-instance check\n",
                             m_pInstance->Error().toLocal8Bit().constData());
                break;
            }
        }
    }

    // 3. The program's icon.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vespira.png")));

    // 5. The recent-file list of 3 entries and the file dialogs' folder.
    m_docs.SetRecentFiles(m_settings.ReadRecentFiles());
    m_docs.SetLastFolder(m_settings.ReadLastFolder());

    // 7. Start-up values.
    SetStartupValues(m_state);

    // 8. The settings, and the look-up table they name.
    const SettingsReadResult read = m_settings.Read(m_state);
    m_showState = read.showState;
    if (read.keyOpened)
        LoadLookupTable();

    // 9, 10. Palette, Border pen and rotated font: drawn with QPainter from the state.

    // 11. The main window, with its placement; it shows the splash.
    m_pMainFrame = std::make_unique<CMainFrame>(m_state, m_docs, m_ui);
    m_ui.SetMainFrame(m_pMainFrame.get());
    m_pLiveView = new CLiveViewCommands(*m_pMainFrame, m_ui, m_services.liveScan, m_state, m_docs,
                                        m_settings);
    connect(m_pMainFrame.get(), &CMainFrame::closed, qApp, &QCoreApplication::quit,
            Qt::QueuedConnection);
    if (m_pInstance) {
        connect(m_pInstance.get(), &CSingleInstance::activateRequested, m_pMainFrame.get(),
                &CMainFrame::ActivateFromOtherInstance);
    }

    // 12. Dropped files are taken by the main window; the .desktop file and the MIME type
    // installed with the program stand for the shell registration.

    // 13. A file named on the command line is opened; it does not become the active
    // document. A file to print is printed, and the program ends.
    if (commandLine.print)
        return PrintFromCommandLine(commandLine.fileName);
    if (!commandLine.fileName.isEmpty())
        m_docs.OpenDocumentFile(commandLine.fileName);

    // 14. Show the main window.
    m_pMainFrame->ShowWithState(m_showState);

    // Scans a copy that died left behind come back before the instrument can start another.
    StartScanJournal();

    // 15. Last: the pipe listener, then the live view of what it receives.
    StartPipeListener();
    m_pLiveView->StartAtLaunch(commandLine);
    return StartResult::Run;
}

CVespiraApp::StartResult CVespiraApp::PrintFromCommandLine(const QByteArray& file)
{
    if (file.isEmpty()) {
        std::fprintf(stderr, "vespira: name the file to print after /p or --print\n");
        return StartResult::Failed;
    }
    if (::access(file.constData(), F_OK) != 0) {
        std::fprintf(stderr, "vespira: %s does not exist: nothing was printed\n", file.constData());
        return StartResult::Failed;
    }
    CVespiraDoc* doc = m_docs.OpenDocumentFile(file);
    const QList<CChildFrame*> frames = m_docs.FramesOf(doc);
    if (doc == nullptr || frames.isEmpty()) {
        std::fprintf(stderr, "vespira: %s was not printed\n", file.constData());
        return StartResult::Failed;
    }
    QString error;
    if (!PrintOnDefaultPrinter(*frames.first()->GetView(), error)) {
        std::fprintf(stderr, "vespira: %s\n", error.toLocal8Bit().constData());
        return StartResult::Failed;
    }
    return StartResult::Printed;
}

void CVespiraApp::LoadLookupTable()
{
    // The table named by "LUT filename", and the colour table made from it with
    // the stored brightness and contrast.
    LoadStartupColours(m_state.colours.display);
}

void CVespiraApp::StartScanJournal()
{
    if (qEnvironmentVariable("VESPIRA_SCAN_JOURNAL")
            .compare(QLatin1String("off"), Qt::CaseInsensitive) == 0)
        return;
    m_pScanJournal = std::make_unique<CScanJournal>(m_ui);
    m_services.scanJournal = m_pScanJournal.get();
    OfferUnfinishedScans(*m_pScanJournal, m_docs, m_services, m_ui,
                         RecoveryChoiceFromEnvironment());
}

void CVespiraApp::StartPipeListener()
{
    const PipeDirectoryResult dir = PipeDirectory();
    if (!dir.ok()) {
        // Without a safe directory there is no instrument link; step 2 has shown why.
        std::fprintf(stderr, "%s\n", MessageLine(dir.error).toLocal8Bit().constData());
        return;
    }
    m_pRemoteHandler =
        std::make_unique<CRemoteCommandHandler>(m_services, m_state.view, *m_pMainFrame);
    const QString socket = dir.path + QLatin1Char('/') + QLatin1String(kCommandSocketName);
    m_pPipeListener = std::make_unique<CPipeListener>(
        QFile::encodeName(socket).toStdString(),
        [handler = m_pRemoteHandler.get()](const PipeMessage& request) {
            return handler->HandleRequest(request);
        });
    m_pPipeListener->Start();
}

void CVespiraApp::ExitInstance()
{
    m_settings.Write(m_state);
    m_settings.WriteRecentFiles(m_docs.RecentFiles());
    m_settings.WriteLastFolder(m_docs.LastFolder());
    m_pInstance.reset();
}

int CVespiraApp::Run(const CommandLineInfo& commandLine)
{
    switch (InitInstance(commandLine)) {
    case StartResult::HandedOver:
    case StartResult::Printed:
        return 0;
    case StartResult::Failed:
        return 1;
    case StartResult::Run:
        break;
    }
    const int status = QApplication::exec();
    if (m_pMainFrame && m_pMainFrame->IsClosed())
        ExitInstance();
    return status;
}

int VespiraMain(int argc, char** argv)
{
    const auto arguments = [&argc, argv] {
        QByteArrayList words;
        for (int i = 1; i < argc; ++i)
            words << QByteArray(argv[i]);
        return words;
    };
    const CommandLineInfo early = ParseCommandLine(arguments());
    if (early.showHelp) {
        std::fputs(UsageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (early.showVersion) {
        std::fputs(VersionText().toLocal8Bit().constData(), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    // Numbers in files and on the pipes use the decimal point whatever the locale.
    std::setlocale(LC_NUMERIC, "C");
    QCoreApplication::setOrganizationName(QStringLiteral("Merovant"));
    QCoreApplication::setApplicationName(QStringLiteral("ORMA Radiography"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kAboutVersion));
    QGuiApplication::setDesktopFileName(QStringLiteral("vespira"));
    InitVespiraResources();

    // Qt has taken its own switches (-platform, -style, ...) out of argv now; the rest
    // are read as bytes, not through arguments(), which would lose a name's bytes.
    const CommandLineInfo commandLine = ParseCommandLine(arguments());

    CVespiraApp vespira;
    return vespira.Run(commandLine);
}
