#pragma once

#include <QList>
#include <QObject>

class CChildWindows;
class CCommandRouter;
class CDocManager;
class QAction;
class QMenu;
class QMenuBar;
struct MenuInfo;

// The main window's menus: one set while no pattern is open, another while a pattern's
// window is active, both built once from the command table's actions. The File menu
// carries the recent files (a "Recent File" placeholder while there are none), the Window
// menu the list of pattern windows. Each menu brings the command states up to date as it
// opens.
class CMainMenus : public QObject
{
    Q_OBJECT

public:
    // The menus are children of menuBar's window; those without a pattern show at once.
    CMainMenus(QMenuBar& menuBar, CCommandRouter& commands, CDocManager& docs,
               CChildWindows& children);

    // The pattern's menus (true) or those without one on the menu bar; About takes the
    // label of each.
    void Show(bool documentMenus);
    bool ShowsDocumentMenus() const { return m_bDocumentMenus; }
    // The menus now on the menu bar.
    QList<QMenu*> Current() const { return m_bDocumentMenus ? m_docMenus : m_noDocMenus; }

private:
    void CreateRecentFileActions();
    QMenu* BuildMenu(const MenuInfo& info, bool documentMenus);
    void UpdateRecentFileItems();

    QMenuBar& m_menuBar;
    CCommandRouter& m_commands;
    CDocManager& m_docs;
    CChildWindows& m_children;
    QList<QMenu*> m_noDocMenus;
    QList<QMenu*> m_docMenus;
    QAction* m_pRecentPlaceholder = nullptr;
    QList<QAction*> m_recentActions;
    bool m_bDocumentMenus = false;
};
