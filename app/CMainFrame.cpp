#include "app/CMainFrame.h"

#include "app/CAboutDlg.h"
#include "app/CActiveViewCommands.h"
#include "app/CChildFrame.h"
#include "app/CDocManager.h"
#include "app/CExchangeCommands.h"
#include "app/CHelpWindow.h"
#include "app/CMainMenus.h"
#include "app/CSplashWnd.h"
#include "app/CWindowPlacement.h"
#include "app/ProgramState.h"
#include "base/FilePath.h"
#include "display/dialogs/COrientationDlg.h"
#include "display/dialogs/CSelectionPropertiesDlg.h"
#include "document/CVespiraDoc.h"
#include "document/IHostUi.h"
#include "plot3d/Plot3DCommand.h"
#include "view/CVespiraView.h"
#include "view/OptionsCommand.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QIcon>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QWhatsThis>

namespace {

bool IsPatternFile(const QUrl& url)
{
    return url.isLocalFile() &&
           url.toLocalFile().endsWith(QLatin1String(CDocManager::kExtension), Qt::CaseInsensitive);
}

CursorTool ToolOf(int id)
{
    switch (id) {
    case ID_TOOL_LINE:
        return CursorTool::Line;
    case ID_TOOL_CURVE:
        return CursorTool::Curve;
    case ID_TOOL_RECTANGLE:
        return CursorTool::Rectangle;
    case ID_TOOL_ERASER:
        return CursorTool::Eraser;
    default:
        return CursorTool::Arrow;
    }
}

} // namespace

CMainFrame::CMainFrame(ProgramState& state, CDocManager& docs, IHostUi& ui, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_docs(docs), m_ui(ui)
{
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowIcon(QIcon(QStringLiteral(":/icons/vespira.png")));
    setAcceptDrops(true);
    resize(800, 600);

    m_pChildren = std::make_unique<CChildWindows>(m_docs, *this);
    setCentralWidget(m_pChildren->MdiArea());
    connect(m_pChildren.get(), &CChildWindows::activeChildChanged, this,
            &CMainFrame::OnActiveChildChanged);
    connect(&m_docs, &CDocManager::documentsChanged, this, &CMainFrame::ConnectContextMenus);
    connect(&m_docs, &CDocManager::titleChanged, this, &CMainFrame::UpdateCaption);

    m_pCommands = new CCommandRouter(this);
    m_pCommands->SetRouteCheck([this](CommandRoute route) {
        if (!m_pChildren)
            return false; // the window is going
        return route == CommandRoute::View ? ActiveView() != nullptr : ActiveChild() != nullptr;
    });
    // Every command's keys work in the main window and all its child windows.
    addActions(m_pCommands->Actions());
    ConnectFrameworkCommands();
    m_pViewCommands =
        std::make_unique<CActiveViewCommands>(*m_pCommands, *m_pChildren, *this, m_ui);
    new CExchangeCommands(*this, m_docs, m_ui);
    m_pMenus = new CMainMenus(*menuBar(), *m_pCommands, m_docs, *m_pChildren);
    CreateToolBar();
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    m_pStatusPanes = new CStatusPanes(*statusBar());
    connect(&m_docs, &CDocManager::documentClosed, m_pStatusPanes,
            &CStatusPanes::ForgetPatternValues);
    m_pPlacement = new CWindowPlacement(*this);
    UpdateCommandUi();

    qApp->installEventFilter(this);

    // The idle-time update of the command states.
    auto* idle = new QTimer(this);
    idle->setInterval(500);
    connect(idle, &QTimer::timeout, m_pCommands, &CCommandRouter::UpdateCommandUi);
    idle->start();

    // The stored placement before anything makes the native window: the splash, made
    // with this window as its owner, does, and a placement applied after it is taken by
    // the window manager as the client's position, so the window crept at every start.
    ApplyPlacement(m_state.placement);

    // Last step of creation: the splash over the frame (off with "/NOS").
    CSplashWnd::ShowSplashScreen(this);
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
    // The child windows go with the MDI area; nothing of this half-destroyed window may
    // answer their signals.
    disconnect(m_pChildren.get(), nullptr, this, nullptr);
    disconnect(&m_docs, nullptr, this, nullptr);
    m_pViewCommands.reset();
    m_pChildren.reset();
    if (m_pHelpWindow)
        delete m_pHelpWindow.data();
}

CVespiraDoc* CMainFrame::NewDocument()
{
    CVespiraDoc* doc = m_docs.OnFileNew();
    m_pCommands->ScheduleUpdate();
    return doc;
}

void CMainFrame::ConnectFrameworkCommands()
{
    auto on = [this](int id, std::function<void()> handler) {
        m_pCommands->SetCommandHandler(id, std::move(handler));
    };
    auto check = [this](int id, std::function<void(QAction&)> handler) {
        m_pCommands->SetUpdateHandler(id, std::move(handler));
    };
    CChildWindows& children = *m_pChildren;
    on(ID_FILE_NEW, [this]() { NewDocument(); });
    on(ID_FILE_OPEN, [this]() { m_docs.OnFileOpen(); });
    on(ID_FILE_CLOSE, [this]() { m_docs.OnFileClose(ActiveChildDocument()); });
    on(ID_FILE_SAVE, [this]() { m_docs.DoFileSave(ActiveChildDocument()); });
    on(ID_FILE_SAVE_AS, [this]() { m_docs.OnFileSaveAs(ActiveChildDocument()); });
    on(ID_APP_EXIT, [this]() { close(); });
    on(ID_APP_ABOUT, [this]() { ShowAbout(); });
    on(ID_HELP_FINDER, [this]() { ShowHelpTopics(); });
    on(ID_HELP, [this]() { ShowHelpTopics(); });
    on(ID_DEFAULT_HELP, [this]() { ShowHelpTopics(); });
    on(ID_CONTEXT_HELP, []() { QWhatsThis::enterWhatsThisMode(); });
    on(ID_VIEW_TOOLBAR, [this]() { m_pToolBar->setVisible(!m_pToolBar->isVisible()); });
    on(ID_VIEW_STATUS_BAR, [this]() { statusBar()->setVisible(!statusBar()->isVisible()); });
    on(ID_WINDOW_NEW, [this]() { m_docs.OnWindowNew(ActiveChildDocument()); });
    on(ID_WINDOW_CLOSE, [this]() {
        if (CChildFrame* child = ActiveChild())
            child->close();
    });
    on(ID_WINDOW_CASCADE, [&children]() { children.Cascade(); });
    on(ID_WINDOW_TILE_HORZ, [&children]() { children.Tile(); });
    on(ID_WINDOW_ARRANGE, [&children]() { children.ArrangeIcons(); });
    on(ID_PLOT_3D, [this]() {
        if (CVespiraDoc* doc = ActiveChildDocument())
            Open3DPlot(*doc, m_state.plot3d, m_ui, this);
    });

    check(ID_VIEW_TOOLBAR,
          [this](QAction& a) { a.setChecked(m_pToolBar && m_pToolBar->isVisible()); });
    check(ID_VIEW_STATUS_BAR, [this](QAction& a) { a.setChecked(statusBar()->isVisible()); });
    // Check marks of the view switches and the tools.
    check(ID_VIEW_OVERLAY, [this](QAction& a) { a.setChecked(m_state.view.overlay); });
    check(ID_VIEW_HEADER, [this](QAction& a) { a.setChecked(m_state.view.header); });
    check(ID_RANGE_LOCK, [this](QAction& a) {
        const CVespiraDoc* doc = ActiveChildDocument();
        a.setChecked(doc != nullptr && doc->m_range.IsLocked());
    });
    for (int id : {ID_TOOL_ARROW, ID_TOOL_LINE, ID_TOOL_CURVE, ID_TOOL_RECTANGLE, ID_TOOL_ERASER}) {
        // A gesture under way goes on; its release acts with the new tool.
        on(id, [this, id]() { m_state.tools.tool = ToolOf(id); });
        check(id, [this, id](QAction& a) { a.setChecked(m_state.tools.tool == ToolOf(id)); });
    }

    on(ID_OPTIONS, [this]() { OpenOptions(m_state.colours, m_ui, this); });
    on(ID_ORIENTATION, [this]() { ShowOrientation(); });
    on(ID_PROPERTIES, [this]() {
        CSelectionPropertiesDlg dialog(m_state.tools.defaultScanTime, m_ui, this);
        m_ui.ExecDialog(dialog);
    });
}

void CMainFrame::ShowOrientation()
{
    COrientationDlg dialog(m_state.view, this);
    if (m_ui.ExecDialog(dialog) == QDialog::Accepted)
        CVespiraView::RepaintAllViews();
}

bool CMainFrame::ShowsDocumentMenus() const
{
    return m_pMenus->ShowsDocumentMenus();
}

QList<QMenu*> CMainFrame::CurrentMenus() const
{
    return m_pMenus->Current();
}

void CMainFrame::CreateToolBar()
{
    m_pToolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_pToolBar->setObjectName(QStringLiteral("toolbar128"));
    m_pToolBar->setIconSize(QSize(16, 15));
    m_pToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_pToolBar->setMovable(true);
    m_pToolBar->setFloatable(true);
    for (int id : ToolbarButtons()) {
        if (id == ID_SEPARATOR)
            m_pToolBar->addSeparator();
        else if (QAction* action = Action(id))
            m_pToolBar->addAction(action);
    }
    addToolBar(Qt::TopToolBarArea, m_pToolBar);
}

void CMainFrame::OnActiveChildChanged()
{
    m_pMenus->Show(ActiveChild() != nullptr);
    UpdateCaption();
    UpdateCommandUi();
}

void CMainFrame::ConnectContextMenus()
{
    for (CChildFrame* frame : m_docs.Frames())
        if (CVespiraView* view = frame->GetView())
            connect(view, &CVespiraView::contextMenuRequested, this, &CMainFrame::ShowContextMenu,
                    Qt::UniqueConnection);
}

void CMainFrame::ShowContextMenu(const QPoint& globalPos)
{
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("contextMenu142"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    FillContextMenu(*menu);
    menu->popup(globalPos);
}

void CMainFrame::UpdateCaption()
{
    // The document's own title: a second window's ":2" belongs to its child caption only.
    // A maximised child's caption is added by the MDI area itself, as " - [title]".
    QString caption = QString::fromLatin1(kCaption);
    CChildFrame* child = ActiveChild();
    const bool maximised = child != nullptr && child->isMaximized();
    if (child != nullptr && !maximised)
        caption += QStringLiteral(" - ") + child->GetDocument()->GetTitle();
    // Each title set reaches the window manager: a scan retitles at every point.
    const QString shown =
        maximised ? caption + QStringLiteral(" - [%1]").arg(child->windowTitle()) : caption;
    if (windowTitle() != shown)
        setWindowTitle(caption);
}

void CMainFrame::ApplyPlacement(const WindowPlacement& placement)
{
    m_pPlacement->Apply(placement);
}

WindowPlacement CMainFrame::CapturePlacement() const
{
    return m_pPlacement->Capture();
}

void CMainFrame::ShowWithState(ShowState state)
{
    switch (state) {
    case ShowState::Maximized:
        showMaximized();
        break;
    case ShowState::Minimized:
        showMinimized();
        break;
    default:
        show();
        break;
    }
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!m_docs.SaveAllModified()) {
        event->ignore();
        return;
    }
    m_docs.CloseAllDocuments();
    m_state.placement = CapturePlacement();
    if (m_pHelpWindow)
        m_pHelpWindow->close();
    CSplashWnd::HideSplash();
    m_bClosed = true;
    event->accept();
    emit closed();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        const QList<QUrl> urls = event->mimeData()->urls();
        if (std::any_of(urls.begin(), urls.end(), IsPatternFile)) {
            event->acceptProposedAction();
            return;
        }
    }
    event->ignore();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    activateWindow();
    for (const QUrl& url : urls)
        if (IsPatternFile(url))
            m_docs.OpenDocumentFile(PathFromUser(url.toLocalFile()));
    m_pCommands->ScheduleUpdate();
}

void CMainFrame::ActivateFromOtherInstance(const QByteArray& file)
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
    if (!file.isEmpty())
        m_docs.OpenDocumentFile(file);
    m_pCommands->ScheduleUpdate();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // Maximising or restoring a child decides who shows its title in the caption; the
    // MDI area sets its own caption first, so this one follows afterwards.
    if (event->type() == QEvent::WindowStateChange && qobject_cast<CChildFrame*>(watched))
        QTimer::singleShot(0, this, &CMainFrame::UpdateCaption);
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::ShowHelpTopics()
{
    if (!m_pHelpWindow)
        m_pHelpWindow = new CHelpWindow(this);
    m_pHelpWindow->show();
    m_pHelpWindow->raise();
    m_pHelpWindow->activateWindow();
}

void CMainFrame::ShowAbout()
{
    CAboutDlg dialog(this);
    m_ui.ExecDialog(dialog);
}
