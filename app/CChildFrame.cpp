#include "CChildFrame.h"

#include "CDocManager.h"
#include "CVespiraDoc.h"
#include "CVespiraView.h"

#include <QCloseEvent>

CChildFrame::CChildFrame(CVespiraDoc& doc, CProgramState& state, CDocManager& manager,
                         QWidget* parent)
    : QMdiSubWindow(parent), m_pDoc(&doc), m_manager(manager)
{
    m_pView = new CVespiraView(doc, state, this);
    setWidget(m_pView);
    setWindowIcon(QIcon(QStringLiteral(":/icons/document.png")));
}

CChildFrame::~CChildFrame()
{
    m_manager.FrameDestroyed(this);
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (!m_manager.OnCloseFrame(this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}
