#pragma once

#include "app/CSettings.h"
#include "app/ScreenPlacement.h"
#include "link/IRemoteHost.h"

#include <QHash>
#include <QLabel>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <functional>

class CChildFrame;
class CDocManager;
struct ProgramState;
class CVespiraDoc;
class CVespiraView;
class IHostUi;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

// The main window: a QMdiArea of child frames, the menus of both states (no pattern
// open: menu 128; a pattern's window active: menu 129), the toolbar, the status bar
// with the status text in pane 101, the window placement, dropped files, and the host
// of the remote commands (IRemoteHost).
class CMainFrame : public QMainWindow, public IRemoteHost
{
    Q_OBJECT

public:
    static constexpr char kCaption[] = "Vespira";
    static constexpr char kInitialStatusText[] = "X: ?  Y: ?  Int: ?  Time: ?";
    static constexpr int kMaxStatusText = 255;

    CMainFrame(ProgramState& state, CDocManager& docs, IHostUi& ui, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // IRemoteHost: exactly the Ctrl+N path.
    CVespiraDoc* NewDocument() override;

    // The status text of pane 101: at most 255 characters; shown at the next turn of
    // the event loop, with the pane exactly as wide as the text.
    void SetStatusText(const QString& text);
    QString StatusText() const { return m_strStatusText; }
    // The label of a status pane: ID_INDICATOR_STAT (101), ID_INDICATOR_CAPS, _NUM, _SCRL,
    // or 0 for the prompt pane.
    QLabel* StatusPane(int id) const;
    // Brings the status panes up to date now (the framework did it at idle time).
    void UpdateStatusPanes();

    // Commands: one QAction per command of the command table, shared by the menus, the
    // toolbar, the accelerators and the context menu.
    QAction* Action(int id) const;
    // The handler of a command. A command without one stays disabled; a View command is
    // enabled only while a pattern view is active, a Child command only while a pattern
    // window is active.
    void SetCommandHandler(int id, std::function<void()> handler);
    bool HasCommandHandler(int id) const;
    // Runs after the enabled state is set, to set check marks and the like.
    void SetUpdateHandler(int id, std::function<void(QAction&)> handler);
    // Sets every command's enabled and checked state (the framework's idle update).
    void UpdateCommandUi();
    // Fills the view's context menu (Copy, Zoom In, Zoom Out, Zoom Reset, 3D Plot,
    // Properties) with entries that trigger the shared commands.
    void FillContextMenu(QMenu& menu);
    // The view's context menu, shown at a screen point after a right click on the grid.
    void ShowContextMenu(const QPoint& globalPos);

    // The active pattern window, its view and document (none while no pattern is open).
    CChildFrame* ActiveChild() const;
    CVespiraView* ActiveView() const;
    CVespiraDoc* ActiveChildDocument() const;
    QMdiArea* MdiArea() const { return m_pMdiArea; }
    QToolBar* ToolBar() const { return m_pToolBar; }
    // True while the document menus (129) are shown.
    bool ShowsDocumentMenus() const { return m_bDocumentMenus; }
    // The menus now on the menu bar.
    QList<QMenu*> CurrentMenus() const;

    // Placement: applied before the window is shown when "WndLeft" is 0 or more,
    // captured when the window closes. Left and top are the window's position with its
    // frame, width and height its client size: the pair that Qt restores without drift.
    void ApplyPlacement(const WindowPlacement& placement);
    WindowPlacement CapturePlacement() const;
    void ShowWithState(ShowState state);

    // Another start handed over: come to the front and open file (if not empty).
    void ActivateFromOtherInstance(const QByteArray& file);

    // Help and About.
    void ShowHelpTopics();
    void ShowAbout();
    // The Options and Orientation commands: the dialog, and on OK every view repainted.
    void ShowOptions();
    void ShowOrientation();

    // Closing asks every document (SaveModified); true when the window closed.
    bool IsClosed() const { return m_bClosed; }

signals:
    // The window closed after every document agreed: the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void ConnectFrameworkCommands();
    QMenu* BuildMenu(const struct MenuInfo& info, bool documentMenus);
    void SwitchMenus(bool documentMenus);
    void OnSubWindowActivated(QMdiSubWindow* window);
    void OnDocumentsChanged();
    void UpdateRecentFileItems();
    void UpdateWindowList(QMenu* menu);
    void UpdateCaption();
    void ScheduleUpdate();
    void RememberNormalPlacement();
    void CascadeChildren();
    void ArrangeIcons();
    QIcon CommandIcon(const struct CommandInfo& info) const;

    ProgramState& m_state;
    CDocManager& m_docs;
    IHostUi& m_ui;
    QMdiArea* m_pMdiArea = nullptr;
    QToolBar* m_pToolBar = nullptr;
    QHash<int, QAction*> m_actions;
    QHash<int, std::function<void()>> m_handlers;
    QHash<int, std::function<void(QAction&)>> m_updateHandlers;
    QList<QMenu*> m_noDocMenus;
    QList<QMenu*> m_docMenus;
    QList<QAction*> m_windowListActions;
    QAction* m_pRecentPlaceholder = nullptr;
    QList<QAction*> m_recentActions;
    bool m_bDocumentMenus = false;
    QPointer<CChildFrame> m_pLastChild;

    QString m_strStatusText;
    QLabel* m_pPromptPane = nullptr;
    QLabel* m_pStatusPane = nullptr;
    QLabel* m_pCapsPane = nullptr;
    QLabel* m_pNumPane = nullptr;
    QLabel* m_pScrollPane = nullptr;
    bool m_bCapsLock = false;
    bool m_bNumLock = false;
    bool m_bScrollLock = false;
    bool m_bUpdateScheduled = false;

    QPoint m_normalPos;
    QSize m_normalSize;
    bool m_bHaveNormal = false;
    bool m_bClosed = false;
    QPointer<QWidget> m_pHelpWindow;
};
