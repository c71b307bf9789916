#include "app/CMainMenus.h"

#include "app/CChildWindows.h"
#include "app/CCommandRouter.h"
#include "app/CDocManager.h"
#include "base/FilePath.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

CMainMenus::CMainMenus(QMenuBar& menuBar, CCommandRouter& commands, CDocManager& docs,
                       CChildWindows& children)
    : QObject(&menuBar), m_menuBar(menuBar), m_commands(commands), m_docs(docs),
      m_children(children)
{
    CreateRecentFileActions();
    for (const MenuInfo& info : NoDocumentMenus())
        m_noDocMenus << BuildMenu(info, false);
    for (const MenuInfo& info : DocumentMenus())
        m_docMenus << BuildMenu(info, true);
    connect(&m_docs, &CDocManager::recentFilesChanged, this, &CMainMenus::UpdateRecentFileItems);
    Show(false);
    UpdateRecentFileItems();
}

void CMainMenus::CreateRecentFileActions()
{
    m_pRecentPlaceholder = new QAction(QStringLiteral("Recent File"), this);
    m_pRecentPlaceholder->setEnabled(false);
    m_pRecentPlaceholder->setStatusTip(QStringLiteral("Open this document"));
    for (int i = 0; i < CDocManager::kRecentFileCount; ++i) {
        auto* action = new QAction(this);
        action->setObjectName(QStringLiteral("recentFile%1").arg(i + 1));
        action->setStatusTip(QStringLiteral("Open this document"));
        connect(action, &QAction::triggered, this, [this, i]() {
            m_docs.OpenRecentFile(i);
            m_commands.ScheduleUpdate();
        });
        m_recentActions << action;
    }
}

QMenu* CMainMenus::BuildMenu(const MenuInfo& info, bool documentMenus)
{
    auto* menu = new QMenu(info.title, m_menuBar.window());
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
        } else if (QAction* action = m_commands.Action(id)) {
            menu->addAction(action);
        }
    }
    connect(menu, &QMenu::aboutToShow, &m_commands, &CCommandRouter::UpdateCommandUi);
    if (info.title == QLatin1String("&Window")) {
        connect(menu, &QMenu::aboutToShow, this,
                [this, menu]() { m_children.UpdateWindowList(*menu); });
    }
    return menu;
}

void CMainMenus::Show(bool documentMenus)
{
    if (m_bDocumentMenus == documentMenus && !m_menuBar.actions().isEmpty())
        return;
    m_bDocumentMenus = documentMenus;
    m_menuBar.clear();
    for (QMenu* menu : documentMenus ? m_docMenus : m_noDocMenus)
        m_menuBar.addMenu(menu);
    const CommandInfo* about = FindCommand(ID_APP_ABOUT);
    m_commands.Action(ID_APP_ABOUT)->setText(documentMenus ? about->label : about->labelNoDoc);
}

void CMainMenus::UpdateRecentFileItems()
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
