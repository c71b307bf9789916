#include "app/CUndoCommands.h"

#include "app/CChildWindows.h"
#include "app/CCommandRouter.h"
#include "app/CommandIds.h"
#include "document/CTargetHistory.h"
#include "document/CVespiraDoc.h"
#include "view/CVespiraView.h"

#include <QAction>

namespace {

// "&Undo" and "\tCtrl+Z" around the step's name, when there is one.
QString StepText(const QString& verb, const QString& step, const QString& key)
{
    return step.isEmpty() ? QStringLiteral("&%1\t%2").arg(verb, key)
                          : QStringLiteral("&%1 %2\t%3").arg(verb, step, key);
}

} // namespace

CUndoCommands::CUndoCommands(CCommandRouter& commands, const CChildWindows& children,
                             QObject* parent)
    : QObject(parent), m_commands(commands), m_children(children)
{
    m_commands.SetCommandHandler(ID_EDIT_UNDO, [this]() {
        if (CVespiraView* view = m_children.ActiveView())
            view->OnEditUndo();
    });
    m_commands.SetCommandHandler(ID_EDIT_REDO, [this]() {
        if (CVespiraView* view = m_children.ActiveView())
            view->OnEditRedo();
    });
    m_commands.SetUpdateHandler(ID_EDIT_UNDO, [this](QAction& action) {
        const CVespiraDoc* doc = ActiveDocument();
        const QString step = doc != nullptr ? doc->History().UndoName() : QString();
        action.setText(StepText(QStringLiteral("Undo"), step, QStringLiteral("Ctrl+Z")));
        action.setEnabled(action.isEnabled() && !step.isEmpty());
    });
    m_commands.SetUpdateHandler(ID_EDIT_REDO, [this](QAction& action) {
        const CVespiraDoc* doc = ActiveDocument();
        const QString step = doc != nullptr ? doc->History().RedoName() : QString();
        action.setText(StepText(QStringLiteral("Redo"), step, QStringLiteral("Ctrl+Y")));
        action.setEnabled(action.isEnabled() && !step.isEmpty());
    });
    connect(&m_children, &CChildWindows::activeChildChanged, this,
            &CUndoCommands::FollowActiveDocument);
    FollowActiveDocument();
}

CVespiraDoc* CUndoCommands::ActiveDocument() const
{
    const CVespiraView* view = m_children.ActiveView();
    return view != nullptr ? view->GetDocument() : nullptr;
}

void CUndoCommands::FollowActiveDocument()
{
    CVespiraDoc* doc = ActiveDocument();
    if (doc != m_pFollowed.data()) {
        disconnect(m_followed);
        m_pFollowed = doc;
        if (doc != nullptr)
            // At once: a Ctrl+Z already queued behind the gesture finds Undo enabled.
            m_followed = connect(doc, &CVespiraDoc::historyChanged, &m_commands,
                                 &CCommandRouter::UpdateCommandUi);
    }
    m_commands.ScheduleUpdate();
}
