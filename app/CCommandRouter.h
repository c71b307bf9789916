#pragma once

#include "app/CommandTable.h"

#include <QHash>
#include <QList>
#include <QObject>

#include <functional>

class QAction;
class QMenu;

// The program's commands: one QAction per entry of the command table, made once with its
// label, keys, tips, icon and check box, and shared by the menus, the toolbar, the keys and
// the context menu. Triggering a command runs the handler registered for it. A command
// without a handler stays disabled; a Child command is enabled only while a pattern window
// is active, a View command only while a pattern view is (the route check says which).
// Needs no window: the window that wants the commands' keys adds the actions to itself.
class CCommandRouter : public QObject
{
    Q_OBJECT

public:
    // Whether the target of a route is there now; asked for Child and View only.
    using RouteCheck = std::function<bool(CommandRoute route)>;

    explicit CCommandRouter(QObject* parent = nullptr);

    QAction* Action(int id) const;
    // Every command's action, in the order of the command table.
    const QList<QAction*>& Actions() const { return m_actionList; }

    // Until it is set, no Child or View command is enabled.
    void SetRouteCheck(RouteCheck check);
    // An empty handler takes the command's handler away.
    void SetCommandHandler(int id, std::function<void()> handler);
    bool HasCommandHandler(int id) const;
    // Runs after the enabled state is set, to set check marks and the like.
    void SetUpdateHandler(int id, std::function<void(QAction&)> handler);

    // Sets every command's enabled and checked state.
    void UpdateCommandUi();
    // UpdateCommandUi at the next turn of the event loop, once however often it is asked;
    // asked after every command and every change of a handler.
    void ScheduleUpdate();

    // Fills the view's context menu (Copy, Zoom In, Zoom Out, Zoom Reset, 3D Plot,
    // Properties) with entries that trigger the shared commands, enabled as they are now.
    void FillContextMenu(QMenu& menu);

private:
    QHash<int, QAction*> m_actions;
    QList<QAction*> m_actionList;
    QHash<int, std::function<void()>> m_handlers;
    QHash<int, std::function<void(QAction&)>> m_updateHandlers;
    RouteCheck m_routeCheck;
    bool m_bUpdateScheduled = false;
};
