#include "app/CChildFrame.h"

#include "app/IChildFrameOwner.h"
#include "document/CVespiraDoc.h"
#include "view/CVespiraView.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QScrollArea>

CChildFrame::CChildFrame(CVespiraDoc& doc, const ViewContext& views, IChildFrameOwner& owner,
                         QWidget* parent)
    : QMdiSubWindow(parent), m_pDoc(&doc), m_owner(owner)
{
    // A pattern too large for the frame, even at one pixel a cell, scrolls.
    auto* scroller = new QScrollArea(this);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    m_pView = new CVespiraView(doc, views, scroller);
    scroller->setWidget(m_pView);
    scroller->setFocusProxy(m_pView);
    setWidget(scroller);
    setWindowIcon(QIcon(QStringLiteral(":/icons/document.png")));
    // Ctrl+W belongs to the command table's Close Window; two owners would leave the key
    // ambiguous and dead. The system menu keeps its other keys.
    if (QMenu* menu = systemMenu()) {
        for (QAction* action : menu->actions()) {
            QList<QKeySequence> keys = action->shortcuts();
            if (keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_W)) > 0)
                action->setShortcuts(keys);
        }
    }
}

CChildFrame::~CChildFrame()
{
    m_owner.FrameDestroyed(this);
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (!m_owner.OnCloseFrame(this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}
