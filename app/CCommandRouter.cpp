#include "app/CCommandRouter.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QTimer>

namespace {

QIcon CommandIcon(const CommandInfo& info)
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

} // namespace

CCommandRouter::CCommandRouter(QObject* parent) : QObject(parent)
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
        m_actionList << action;
    }
}

QAction* CCommandRouter::Action(int id) const
{
    return m_actions.value(id, nullptr);
}

void CCommandRouter::SetRouteCheck(RouteCheck check)
{
    m_routeCheck = std::move(check);
    ScheduleUpdate();
}

void CCommandRouter::SetCommandHandler(int id, std::function<void()> handler)
{
    if (handler)
        m_handlers.insert(id, std::move(handler));
    else
        m_handlers.remove(id);
    ScheduleUpdate();
}

bool CCommandRouter::HasCommandHandler(int id) const
{
    const auto it = m_handlers.constFind(id);
    return it != m_handlers.constEnd() && static_cast<bool>(*it);
}

void CCommandRouter::SetUpdateHandler(int id, std::function<void(QAction&)> handler)
{
    if (handler)
        m_updateHandlers.insert(id, std::move(handler));
    else
        m_updateHandlers.remove(id);
    ScheduleUpdate();
}

void CCommandRouter::UpdateCommandUi()
{
    const bool child = m_routeCheck && m_routeCheck(CommandRoute::Child);
    const bool view = m_routeCheck && m_routeCheck(CommandRoute::View);
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

void CCommandRouter::ScheduleUpdate()
{
    if (m_bUpdateScheduled)
        return;
    m_bUpdateScheduled = true;
    QTimer::singleShot(0, this, [this]() {
        m_bUpdateScheduled = false;
        UpdateCommandUi();
    });
}

void CCommandRouter::FillContextMenu(QMenu& menu)
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
