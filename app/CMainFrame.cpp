#include "app/CMainFrame.h"

#include "app/CAboutDlg.h"
#include "app/CChildFrame.h"
#include "app/CDocManager.h"
#include "app/CHelpWindow.h"
#include "app/CSplashWnd.h"
#include "app/CViewCommands.h"
#include "app/ChildPlacement.h"
#include "app/CommandTable.h"
#include "app/ScreenPlacement.h"
#include "base/FilePath.h"
#include "display/dialogs/COptionsDlg.h"
#include "display/dialogs/COrientationDlg.h"
#include "display/dialogs/CSelectionPropertiesDlg.h"
#include "document/CProgramState.h"
#include "document/CVespiraDoc.h"
#include "document/IHostUi.h"
#include "plot3d/Plot3DCommand.h"
#include "view/CVespiraView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QWhatsThis>

namespace {

// X11 modifier bits of the lock keys in a key event's native modifiers.
constexpr quint32 kX11LockMask = 0x02;
constexpr quint32 kX11NumLockMask = 0x10;

// Room for the window manager's title bar above the client, which is not known before
// the window is shown.
constexpr int kTitleBarHeight = 30;

bool IsPatternFile(const QUrl& url)
{
    return url.isLocalFile() &&
           url.toLocalFile().endsWith(QLatin1String(CDocManager::kExtension), Qt::CaseInsensitive);
}

int ToolValue(int id)
{
    switch (id) {
    case ID_TOOL_ARROW:
        return 1;
    case ID_TOOL_LINE:
        return 2;
    case ID_TOOL_CURVE:
        return 3;
    case ID_TOOL_RECTANGLE:
        return 4;
    case ID_TOOL_ERASER:
        return -1;
    default:
        return 0;
    }
}

} // namespace

CMainFrame::CMainFrame(CProgramState& state, CDocManager& docs, IHostUi& ui, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_docs(docs), m_ui(ui),
      m_strStatusText(QString::fromLatin1(kInitialStatusText))
{
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowIcon(QIcon(QStringLiteral(":/icons/vespira.png")));
    setAcceptDrops(true);
    resize(800, 600);

    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_pMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_pMdiArea);
    m_docs.SetMdiArea(m_pMdiArea);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);
    connect(&m_docs, &CDocManager::documentsChanged, this, &CMainFrame::OnDocumentsChanged);
    connect(&m_docs, &CDocManager::titleChanged, this, &CMainFrame::UpdateCaption);
    connect(&m_docs, &CDocManager::recentFilesChanged, this, &CMainFrame::UpdateRecentFileItems);

    CreateActions();
    ConnectFrameworkCommands();
    new CViewCommands(*this, m_ui);
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    SwitchMenus(false);
    UpdateRecentFileItems();
    UpdateCommandUi();
    UpdateStatusPanes();

    qApp->installEventFilter(this);

    // The framework's idle-time update of the bars.
    auto* idle = new QTimer(this);
    idle->setInterval(500);
    connect(idle, &QTimer::timeout, this, &CMainFrame::UpdateCommandUi);
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
    disconnect(m_pMdiArea, nullptr, this, nullptr);
    disconnect(&m_docs, nullptr, this, nullptr);
    m_docs.SetMdiArea(nullptr);
    if (m_pHelpWindow)
        delete m_pHelpWindow.data();
}

CVespiraDoc* CMainFrame::NewDocument()
{
    CVespiraDoc* doc = m_docs.OnFileNew();
    ScheduleUpdate();
    return doc;
}

QIcon CMainFrame::CommandIcon(const CommandInfo& info) const
{
    QIcon fallback;
    if (!info.fallbackIcon.isEmpty()) {
        fallback.addFile(QStringLiteral(":/icons/%1.png").arg(info.fallbackIcon), QSize(16, 15));
        fallback.addFile(QStringLiteral(":/icons/%1@2x.png").arg(info.fallbackIcon), QSize(32, 30));
    }
    if (!info.themeIcon.isEmpty() && QIcon::hasThemeIcon(info.themeIcon))
        return QIcon::fromTheme(info.themeIcon, fallback);
    return fallback;
}

void CMainFrame::CreateActions()
{
    for (const CommandInfo& info : CommandTable()) {
        auto* action = new QAction(info.label, this);
        action->setObjectName(QStringLiteral("command%1").arg(info.id));
        action->setData(info.id);
        action->setStatusTip(info.StatusTip());
        action->setToolTip(info.ToolTip());
        if (!info.whatsThis.isEmpty())
            action->setWhatsThis(info.whatsThis);
        action->setShortcuts(info.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setCheckable(info.checkable);
        if (!info.fallbackIcon.isEmpty() || !info.themeIcon.isEmpty())
            action->setIcon(CommandIcon(info));
        action->setEnabled(false);
        const int id = info.id;
        connect(action, &QAction::triggered, this, [this, id]() {
            const auto it = m_handlers.constFind(id);
            if (it != m_handlers.constEnd() && *it)
                (*it)();
            ScheduleUpdate();
        });
        m_actions.insert(id, action);
        // Every command's keys work in the main window and all its child windows.
        addAction(action);
    }

    m_pRecentPlaceholder = new QAction(QStringLiteral("Recent File"), this);
    m_pRecentPlaceholder->setEnabled(false);
    m_pRecentPlaceholder->setStatusTip(QStringLiteral("Open this document"));
    for (int i = 0; i < CDocManager::kRecentFileCount; ++i) {
        auto* action = new QAction(this);
        action->setObjectName(QStringLiteral("recentFile%1").arg(i + 1));
        action->setStatusTip(QStringLiteral("Open this document"));
        connect(action, &QAction::triggered, this, [this, i]() {
            m_docs.OpenRecentFile(i);
            ScheduleUpdate();
        });
        m_recentActions << action;
    }
}

QAction* CMainFrame::Action(int id) const
{
    return m_actions.value(id, nullptr);
}

void CMainFrame::SetCommandHandler(int id, std::function<void()> handler)
{
    if (handler)
        m_handlers.insert(id, std::move(handler));
    else
        m_handlers.remove(id);
    ScheduleUpdate();
}

bool CMainFrame::HasCommandHandler(int id) const
{
    const auto it = m_handlers.constFind(id);
    return it != m_handlers.constEnd() && static_cast<bool>(*it);
}

void CMainFrame::SetUpdateHandler(int id, std::function<void(QAction&)> handler)
{
    if (handler)
        m_updateHandlers.insert(id, std::move(handler));
    else
        m_updateHandlers.remove(id);
    ScheduleUpdate();
}

void CMainFrame::ConnectFrameworkCommands()
{
    SetCommandHandler(ID_FILE_NEW, [this]() { NewDocument(); });
    SetCommandHandler(ID_FILE_OPEN, [this]() { m_docs.OnFileOpen(); });
    SetCommandHandler(ID_FILE_CLOSE, [this]() { m_docs.OnFileClose(ActiveChildDocument()); });
    SetCommandHandler(ID_FILE_SAVE, [this]() { m_docs.DoFileSave(ActiveChildDocument()); });
    SetCommandHandler(ID_FILE_SAVE_AS, [this]() { m_docs.OnFileSaveAs(ActiveChildDocument()); });
    SetCommandHandler(ID_APP_EXIT, [this]() { close(); });
    SetCommandHandler(ID_APP_ABOUT, [this]() { ShowAbout(); });
    SetCommandHandler(ID_HELP_FINDER, [this]() { ShowHelpTopics(); });
    SetCommandHandler(ID_HELP, [this]() { ShowHelpTopics(); });
    SetCommandHandler(ID_DEFAULT_HELP, [this]() { ShowHelpTopics(); });
    SetCommandHandler(ID_CONTEXT_HELP, []() { QWhatsThis::enterWhatsThisMode(); });
    SetCommandHandler(ID_VIEW_TOOLBAR,
                      [this]() { m_pToolBar->setVisible(!m_pToolBar->isVisible()); });
    SetCommandHandler(ID_VIEW_STATUS_BAR,
                      [this]() { statusBar()->setVisible(!statusBar()->isVisible()); });
    SetCommandHandler(ID_WINDOW_NEW, [this]() { m_docs.OnWindowNew(ActiveChildDocument()); });
    SetCommandHandler(ID_WINDOW_CLOSE, [this]() {
        if (CChildFrame* child = ActiveChild())
            child->close();
    });
    SetCommandHandler(ID_WINDOW_CASCADE, [this]() { CascadeChildren(); });
    SetCommandHandler(ID_WINDOW_TILE_HORZ, [this]() { m_pMdiArea->tileSubWindows(); });
    SetCommandHandler(ID_WINDOW_ARRANGE, [this]() { ArrangeIcons(); });
    SetCommandHandler(ID_PLOT_3D, [this]() {
        if (CVespiraDoc* doc = ActiveChildDocument())
            Open3DPlot(*doc, m_state, this);
    });

    SetUpdateHandler(ID_VIEW_TOOLBAR,
                     [this](QAction& a) { a.setChecked(m_pToolBar && m_pToolBar->isVisible()); });
    SetUpdateHandler(ID_VIEW_STATUS_BAR,
                     [this](QAction& a) { a.setChecked(statusBar()->isVisible()); });
    // Check marks of the view switches and the tools.
    SetUpdateHandler(ID_VIEW_OVERLAY, [this](QAction& a) { a.setChecked(m_state.viewOverlay); });
    SetUpdateHandler(ID_VIEW_HEADER, [this](QAction& a) { a.setChecked(m_state.viewHeader); });
    for (int id : {ID_TOOL_ARROW, ID_TOOL_LINE, ID_TOOL_CURVE, ID_TOOL_RECTANGLE, ID_TOOL_ERASER}) {
        // A gesture under way goes on; its release acts with the new tool.
        SetCommandHandler(id, [this, id]() { m_state.cursorType = ToolValue(id); });
        SetUpdateHandler(
            id, [this, id](QAction& a) { a.setChecked(m_state.cursorType == ToolValue(id)); });
    }

    SetCommandHandler(ID_OPTIONS, [this]() { ShowOptions(); });
    SetCommandHandler(ID_ORIENTATION, [this]() { ShowOrientation(); });
    SetCommandHandler(ID_PROPERTIES, [this]() {
        CSelectionPropertiesDlg dialog(m_state, this);
        m_ui.ExecDialog(dialog);
    });
}

void CMainFrame::ShowOptions()
{
    // The frame pen is made from the Border setting at each repaint, so nothing else is
    // rebuilt; every view repaints at once rather than half in the old colours.
    COptionsDlg dialog(m_state, this);
    if (m_ui.ExecDialog(dialog) == QDialog::Accepted)
        CVespiraView::RepaintAllViews();
}

void CMainFrame::ShowOrientation()
{
    COrientationDlg dialog(m_state, this);
    if (m_ui.ExecDialog(dialog) == QDialog::Accepted)
        CVespiraView::RepaintAllViews();
}

void CMainFrame::UpdateCommandUi()
{
    const bool child = ActiveChild() != nullptr;
    const bool view = ActiveView() != nullptr;
    for (const CommandInfo& info : CommandTable()) {
        QAction* action = m_actions.value(info.id);
        if (action == nullptr)
            continue;
        bool enabled = HasCommandHandler(info.id);
        if (info.route == CommandRoute::Child)
            enabled = enabled && child;
        else if (info.route == CommandRoute::View)
            enabled = enabled && view;
        action->setEnabled(enabled);
        const auto it = m_updateHandlers.constFind(info.id);
        if (it != m_updateHandlers.constEnd() && *it)
            (*it)(*action);
    }
}

void CMainFrame::ScheduleUpdate()
{
    if (m_bUpdateScheduled)
        return;
    m_bUpdateScheduled = true;
    QTimer::singleShot(0, this, [this]() {
        m_bUpdateScheduled = false;
        UpdateCommandUi();
        UpdateStatusPanes();
    });
}

void CMainFrame::FillContextMenu(QMenu& menu)
{
    UpdateCommandUi();
    for (int id : ContextMenuItems()) {
        if (id == ID_SEPARATOR) {
            menu.addSeparator();
            continue;
        }
        const CommandInfo* info = FindCommand(id);
        QAction* shared = Action(id);
        if (info == nullptr || shared == nullptr)
            continue;
        QAction* entry = menu.addAction(info->contextLabel);
        entry->setEnabled(shared->isEnabled());
        entry->setStatusTip(shared->statusTip());
        connect(entry, &QAction::triggered, shared, &QAction::trigger);
    }
}

QMenu* CMainFrame::BuildMenu(const MenuInfo& info, bool documentMenus)
{
    auto* menu = new QMenu(info.title, this);
    menu->setObjectName(QStringLiteral("%1Menu%2")
                            .arg(QString(info.title).remove(QLatin1Char('&')).toLower())
                            .arg(documentMenus ? 129 : 128));
    for (int id : info.items) {
        if (id == ID_SEPARATOR) {
            menu->addSeparator();
        } else if (id == ID_FILE_MRU_FILE1) {
            menu->addAction(m_pRecentPlaceholder);
            for (QAction* recent : std::as_const(m_recentActions))
                menu->addAction(recent);
        } else if (QAction* action = Action(id)) {
            menu->addAction(action);
        }
    }
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);
    if (info.title == QLatin1String("&Window"))
        connect(menu, &QMenu::aboutToShow, this, [this, menu]() { UpdateWindowList(menu); });
    return menu;
}

void CMainFrame::CreateMenus()
{
    for (const MenuInfo& info : NoDocumentMenus())
        m_noDocMenus << BuildMenu(info, false);
    for (const MenuInfo& info : DocumentMenus())
        m_docMenus << BuildMenu(info, true);
}

void CMainFrame::SwitchMenus(bool documentMenus)
{
    if (m_bDocumentMenus == documentMenus && !menuBar()->actions().isEmpty())
        return;
    m_bDocumentMenus = documentMenus;
    menuBar()->clear();
    for (QMenu* menu : documentMenus ? m_docMenus : m_noDocMenus)
        menuBar()->addMenu(menu);
    const CommandInfo* about = FindCommand(ID_APP_ABOUT);
    Action(ID_APP_ABOUT)->setText(documentMenus ? about->label : about->labelNoDoc);
}

QList<QMenu*> CMainFrame::CurrentMenus() const
{
    return m_bDocumentMenus ? m_docMenus : m_noDocMenus;
}

void CMainFrame::UpdateRecentFileItems()
{
    const QByteArrayList files = m_docs.RecentFiles();
    m_pRecentPlaceholder->setVisible(files.isEmpty());
    for (int i = 0; i < m_recentActions.size(); ++i) {
        QAction* action = m_recentActions[i];
        action->setVisible(i < files.size());
        if (i < files.size()) {
            action->setText(m_docs.RecentFileMenuText(i));
            action->setToolTip(DisplayPath(files[i]));
        }
    }
}

void CMainFrame::UpdateWindowList(QMenu* menu)
{
    for (QAction* action : std::as_const(m_windowListActions)) {
        menu->removeAction(action);
        action->deleteLater();
    }
    m_windowListActions.clear();
    const QList<CChildFrame*> frames = m_docs.Frames();
    if (frames.isEmpty())
        return;
    m_windowListActions << menu->addSeparator();
    CChildFrame* active = ActiveChild();
    for (qsizetype i = 0; i < frames.size() && i < 9; ++i) {
        CChildFrame* frame = frames[i];
        QString title = frame->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title));
        action->setCheckable(true);
        action->setChecked(frame == active);
        action->setStatusTip(QStringLiteral("Activate this window"));
        QPointer<CChildFrame> guard(frame);
        connect(action, &QAction::triggered, this, [this, guard]() {
            if (guard) {
                if (guard->isMinimized())
                    guard->showNormal();
                m_pMdiArea->setActiveSubWindow(guard);
            }
        });
        m_windowListActions << action;
    }
}

void CMainFrame::CascadeChildren()
{
    QList<QMdiSubWindow*> windows = CascadedWindows(*m_pMdiArea);
    // The active window ends on top, in the last place.
    QMdiSubWindow* active = m_pMdiArea->activeSubWindow();
    if (windows.removeOne(active))
        windows << active;
    const QSize area = ChildArea(*m_pMdiArea);
    const int step = CascadeStep(*m_pMdiArea);
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows[i];
        if (window->isMaximized())
            window->showNormal();
        window->setGeometry(CascadeRect(area, i, step));
        window->raise();
    }
    if (active != nullptr)
        m_pMdiArea->setActiveSubWindow(active);
}

void CMainFrame::ArrangeIcons()
{
    int x = 0;
    const int bottom = m_pMdiArea->viewport()->height();
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList()) {
        if (!window->isVisible() || !window->isMinimized())
            continue;
        const QSize size = window->size();
        if (x > 0 && x + size.width() > m_pMdiArea->viewport()->width())
            x = 0;
        window->move(x, bottom - size.height());
        x += size.width();
    }
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

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    m_pPromptPane = new QLabel(QStringLiteral("For Help, press F1"), bar);
    m_pPromptPane->setObjectName(QStringLiteral("pane0"));
    m_pPromptPane->setMinimumWidth(0);
    bar->addWidget(m_pPromptPane, 1);

    auto makePane = [bar](const QString& name) {
        auto* label = new QLabel(bar);
        label->setObjectName(name);
        label->setContentsMargins(0, 0, 0, 0);
        label->setMargin(0);
        label->setIndent(0);
        bar->addPermanentWidget(label);
        return label;
    };
    m_pStatusPane = makePane(QStringLiteral("pane101"));
    m_pCapsPane = makePane(QStringLiteral("paneCAP"));
    m_pNumPane = makePane(QStringLiteral("paneNUM"));
    m_pScrollPane = makePane(QStringLiteral("paneSCRL"));
    for (auto [pane, text] : {std::pair{m_pCapsPane, "CAP"}, std::pair{m_pNumPane, "NUM"},
                              std::pair{m_pScrollPane, "SCRL"}}) {
        pane->setFixedWidth(pane->fontMetrics().horizontalAdvance(QLatin1String(text)) + 6);
        pane->setAlignment(Qt::AlignCenter);
    }
}

QLabel* CMainFrame::StatusPane(int id) const
{
    switch (id) {
    case 0:
        return m_pPromptPane;
    case ID_INDICATOR_STAT:
        return m_pStatusPane;
    case ID_INDICATOR_CAPS:
        return m_pCapsPane;
    case ID_INDICATOR_NUM:
        return m_pNumPane;
    case ID_INDICATOR_SCRL:
        return m_pScrollPane;
    default:
        return nullptr;
    }
}

void CMainFrame::SetStatusText(const QString& text)
{
    // Every remote command sets the text: only the panes follow, the command states
    // wait for the idle update, so a scan does not pay for them per point.
    m_strStatusText = text.left(kMaxStatusText);
    UpdateStatusPanes();
}

void CMainFrame::UpdateStatusPanes()
{
    // Measured only when the text changes: a scan sets the same text at every point.
    if (m_pStatusPane->text() != m_strStatusText || m_pStatusPane->minimumWidth() == 0) {
        m_pStatusPane->setText(m_strStatusText);
        m_pStatusPane->setFixedWidth(
            m_pStatusPane->fontMetrics().horizontalAdvance(m_strStatusText));
    }
    m_pStatusPane->setEnabled(true);
    m_pCapsPane->setText(m_bCapsLock ? QStringLiteral("CAP") : QString());
    m_pNumPane->setText(m_bNumLock ? QStringLiteral("NUM") : QString());
    m_pScrollPane->setText(m_bScrollLock ? QStringLiteral("SCRL") : QString());
}

CChildFrame* CMainFrame::ActiveChild() const
{
    const QList<CChildFrame*> frames = m_docs.Frames();
    if (m_pLastChild && frames.contains(m_pLastChild.data()))
        return m_pLastChild.data();
    return m_docs.ActiveFrame();
}

CVespiraView* CMainFrame::ActiveView() const
{
    CChildFrame* child = ActiveChild();
    return child ? child->GetView() : nullptr;
}

CVespiraDoc* CMainFrame::ActiveChildDocument() const
{
    CChildFrame* child = ActiveChild();
    return child ? child->GetDocument() : nullptr;
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow* window)
{
    // A window outside the MDI area (a dialog, another program) being active leaves the
    // last active child as it was, as the framework's MDIGetActive did.
    auto* frame = qobject_cast<CChildFrame*>(window);
    if (frame != nullptr && m_docs.Frames().contains(frame))
        m_pLastChild = frame;
    else if (m_docs.Frames().isEmpty())
        m_pLastChild = nullptr;
    SwitchMenus(ActiveChild() != nullptr);
    UpdateCaption();
    UpdateCommandUi();
}

void CMainFrame::ShowContextMenu(const QPoint& globalPos)
{
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("contextMenu142"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    FillContextMenu(*menu);
    menu->popup(globalPos);
}

void CMainFrame::OnDocumentsChanged()
{
    const QList<CChildFrame*> frames = m_docs.Frames();
    for (CChildFrame* frame : frames)
        if (CVespiraView* view = frame->GetView())
            connect(view, &CVespiraView::contextMenuRequested, this, &CMainFrame::ShowContextMenu,
                    Qt::UniqueConnection);
    if (!m_pLastChild || !frames.contains(m_pLastChild.data())) {
        auto* current = qobject_cast<CChildFrame*>(m_pMdiArea->currentSubWindow());
        m_pLastChild = (current && frames.contains(current))
                           ? current
                           : (frames.isEmpty() ? nullptr : frames.constLast());
    }
    SwitchMenus(ActiveChild() != nullptr);
    UpdateCaption();
    UpdateCommandUi();
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
    if (placement.left < 0)
        return; // the system's default placement
    if (placement.width > 0 && placement.height > 0)
        resize(FitOnScreens(QPoint(placement.left, placement.top),
                            QSize(placement.width, placement.height), kTitleBarHeight,
                            AvailableScreenAreas()));
    // A stored place off every screen (a screen gone since) would leave the title bar
    // out of reach.
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QPoint place = KeepTitleBarOnScreens(
        QRect(QPoint(placement.left, placement.top), size() + QSize(0, kTitleBarHeight)),
        kTitleBarHeight, screens);
    move(place);
    m_normalPos = place;
    m_normalSize = size();
    m_bHaveNormal = true;
}

WindowPlacement CMainFrame::CapturePlacement() const
{
    WindowPlacement p;
    p.maximized = isMaximized();
    QPoint pos = this->pos();
    QSize size = this->size();
    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) {
        if (m_bHaveNormal) {
            pos = m_normalPos;
            size = m_normalSize;
        } else {
            pos = normalGeometry().topLeft();
            size = normalGeometry().size();
        }
    }
    p.left = std::max(0, pos.x());
    p.top = pos.y();
    p.width = size.width();
    p.height = size.height();
    return p;
}

void CMainFrame::RememberNormalPlacement()
{
    if (!isVisible() ||
        (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return;
    m_normalPos = pos();
    m_normalSize = size();
    m_bHaveNormal = true;
}

void CMainFrame::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    RememberNormalPlacement();
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    RememberNormalPlacement();
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
    ScheduleUpdate();
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
    ScheduleUpdate();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // Maximising or restoring a child decides who shows its title in the caption; the
    // MDI area sets its own caption first, so this one follows afterwards.
    if (event->type() == QEvent::WindowStateChange && qobject_cast<CChildFrame*>(watched))
        QTimer::singleShot(0, this, &CMainFrame::UpdateCaption);
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        const quint32 native = key->nativeModifiers();
        const bool press = event->type() == QEvent::KeyPress;
        bool caps = (native & kX11LockMask) != 0;
        bool num = (native & kX11NumLockMask) != 0;
        // The state of a lock key's own press is the one before it toggles.
        if (press && key->key() == Qt::Key_CapsLock)
            caps = !caps;
        if (press && key->key() == Qt::Key_NumLock)
            num = !num;
        if (press && key->key() == Qt::Key_ScrollLock && !key->isAutoRepeat()) {
            m_bScrollLock = !m_bScrollLock;
            ScheduleUpdate();
        }
        if (QGuiApplication::platformName() == QLatin1String("xcb") &&
            (caps != m_bCapsLock || num != m_bNumLock)) {
            m_bCapsLock = caps;
            m_bNumLock = num;
            ScheduleUpdate();
        }
    }
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
