#pragma once

#include "app/CChildWindows.h"
#include "app/CCommandRouter.h"
#include "app/CSettings.h"
#include "app/CStatusPanes.h"
#include "app/ScreenPlacement.h"
#include "link/IRemoteHost.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class CActiveViewCommands;
class CDocManager;
class CMainMenus;
struct ProgramState;
class CVespiraDoc;
class CWindowPlacement;
class IHostUi;
class QAction;
class QLabel;
class QMenu;
class QToolBar;

// The main window: the menus of both states (no pattern open, or a pattern's window
// active) with the recent files, the toolbar, the caption, dropped files, Help
// and About, and the host of the remote commands (IRemoteHost). Its parts do the rest: the
// commands (CCommandRouter), the pattern windows in the MDI area (CChildWindows), the
// status bar's panes (CStatusPanes) and the placement (CWindowPlacement).
class CMainFrame : public QMainWindow, public IRemoteHost
{
    Q_OBJECT

public:
    static constexpr char kCaption[] = "Vespira";

    CMainFrame(ProgramState& state, CDocManager& docs, IHostUi& ui, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // IRemoteHost: exactly the Ctrl+N path.
    CVespiraDoc* NewDocument() override;

    CCommandRouter& Commands() const { return *m_pCommands; }
    CChildWindows& Children() const { return *m_pChildren; }
    CStatusPanes& StatusPanes() const { return *m_pStatusPanes; }

    // The status text of pane 101 (at most 255 characters), with the pane exactly as wide
    // as the text.
    void SetStatusText(const QString& text) { m_pStatusPanes->SetStatusText(text); }
    QString StatusText() const { return m_pStatusPanes->StatusText(); }
    QLabel* StatusPane(int id) const { return m_pStatusPanes->Pane(id); }

    QAction* Action(int id) const { return m_pCommands->Action(id); }
    void SetCommandHandler(int id, std::function<void()> handler)
    {
        m_pCommands->SetCommandHandler(id, std::move(handler));
    }
    // Sets every command's enabled and checked state (also every 500 ms while idle).
    void UpdateCommandUi() { m_pCommands->UpdateCommandUi(); }
    void FillContextMenu(QMenu& menu) { m_pCommands->FillContextMenu(menu); }

    CChildFrame* ActiveChild() const { return m_pChildren->ActiveChild(); }
    CVespiraView* ActiveView() const { return m_pChildren->ActiveView(); }
    CVespiraDoc* ActiveChildDocument() const { return m_pChildren->ActiveChildDocument(); }
    QMdiArea* MdiArea() const { return m_pChildren->MdiArea(); }

    QToolBar* ToolBar() const { return m_pToolBar; }
    // True while the document menus (129) are shown.
    bool ShowsDocumentMenus() const;
    // The menus now on the menu bar.
    QList<QMenu*> CurrentMenus() const;

    // Placement: applied before the window is shown when "WndLeft" is 0 or more,
    // captured when the window closes.
    void ApplyPlacement(const WindowPlacement& placement);
    WindowPlacement CapturePlacement() const;
    void ShowWithState(ShowState state);

    // Another start handed over: come to the front and open file (if not empty).
    void ActivateFromOtherInstance(const QByteArray& file);

    // Closing asks every document (SaveModified); true when the window closed.
    bool IsClosed() const { return m_bClosed; }

signals:
    // The window closed after every document agreed: the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectFrameworkCommands();
    void CreateToolBar();
    void OnActiveChildChanged();
    void ConnectContextMenus();
    // The view's context menu, shown at a screen point after a right click on the grid.
    void ShowContextMenu(const QPoint& globalPos);
    void UpdateCaption();
    void ShowHelpTopics();
    void ShowAbout();
    // The Orientation command: the dialog, and on OK every view repainted.
    void ShowOrientation();

    ProgramState& m_state;
    CDocManager& m_docs;
    IHostUi& m_ui;
    CCommandRouter* m_pCommands = nullptr;
    std::unique_ptr<CChildWindows> m_pChildren;
    // Goes before the windows whose active view it serves.
    std::unique_ptr<CActiveViewCommands> m_pViewCommands;
    CMainMenus* m_pMenus = nullptr;
    CStatusPanes* m_pStatusPanes = nullptr;
    CWindowPlacement* m_pPlacement = nullptr;
    QToolBar* m_pToolBar = nullptr;
    bool m_bClosed = false;
    QPointer<QWidget> m_pHelpWindow;
};
