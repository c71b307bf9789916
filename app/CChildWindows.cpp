#include "app/CChildWindows.h"

#include "app/CChildFrame.h"
#include "app/CDocManager.h"
#include "app/ChildPlacement.h"

#include <QAction>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

CChildWindows::CChildWindows(CDocManager& docs, QWidget& window)
    : m_docs(docs), m_pMdiArea(new QMdiArea(&window))
{
    m_pMdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_pMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdiArea->installEventFilter(this);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, &CChildWindows::OnSubWindowActivated);
    connect(&m_docs, &CDocManager::documentsChanged, this, &CChildWindows::OnDocumentsChanged);
    m_docs.SetWindowArea(this);
}

CChildWindows::~CChildWindows()
{
    // The child windows go with the MDI area; nothing here may answer their signals.
    if (m_pMdiArea) {
        m_pMdiArea->removeEventFilter(this);
        disconnect(m_pMdiArea, nullptr, this, nullptr);
    }
    disconnect(&m_docs, nullptr, this, nullptr);
    m_docs.SetWindowArea(nullptr);
}

void CChildWindows::AddFrame(CChildFrame& frame)
{
    // The next place of the cascade, inside the area.
    const int index = static_cast<int>(CascadedWindows(*m_pMdiArea).size());
    m_pMdiArea->addSubWindow(&frame);
    frame.setGeometry(CascadeRect(ChildArea(*m_pMdiArea), index, CascadeStep(*m_pMdiArea)));
    // A window made before the main window is shown (a file on the command line) is
    // placed again when the area has its real size.
    m_placeWhenShown.removeIf([](const PendingPlacement& p) { return !p.frame; });
    if (m_pMdiArea->isVisible())
        m_placeWhenShown.clear();
    else
        m_placeWhenShown << PendingPlacement{&frame, frame.geometry()};
}

void CChildWindows::ActivateFrame(CChildFrame& frame)
{
    m_pMdiArea->setActiveSubWindow(&frame);
}

void CChildWindows::RemoveFrame(CChildFrame& frame)
{
    if (frame.mdiArea() == m_pMdiArea)
        m_pMdiArea->removeSubWindow(&frame);
}

QWidget* CChildWindows::DialogParent() const
{
    return m_pMdiArea->window();
}

bool CChildWindows::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pMdiArea && !m_placeWhenShown.isEmpty() && m_pMdiArea->isVisible() &&
        (event->type() == QEvent::Show || event->type() == QEvent::Resize)) {
        // Until the user moves or sizes them, they follow the area to its real size.
        const QSize area = ChildArea(*m_pMdiArea);
        const int step = CascadeStep(*m_pMdiArea);
        for (int i = 0; i < m_placeWhenShown.size(); ++i) {
            PendingPlacement& pending = m_placeWhenShown[i];
            if (!pending.frame || pending.frame->geometry() != pending.placed)
                continue;
            pending.frame->setGeometry(CascadeRect(area, i, step));
            pending.placed = pending.frame->geometry();
        }
    }
    return QObject::eventFilter(watched, event);
}

CChildFrame* CChildWindows::CurrentFrame() const
{
    const QList<CChildFrame*> frames = m_docs.Frames();
    auto* frame = qobject_cast<CChildFrame*>(m_pMdiArea->currentSubWindow());
    if (frame == nullptr || !frames.contains(frame))
        frame = qobject_cast<CChildFrame*>(m_pMdiArea->activeSubWindow());
    return frame != nullptr && frames.contains(frame) ? frame : nullptr;
}

CChildFrame* CChildWindows::ActiveChild() const
{
    if (m_pLastChild && m_docs.Frames().contains(m_pLastChild.data()))
        return m_pLastChild.data();
    return CurrentFrame();
}

CVespiraView* CChildWindows::ActiveView() const
{
    CChildFrame* child = ActiveChild();
    return child ? child->GetView() : nullptr;
}

CVespiraDoc* CChildWindows::ActiveChildDocument() const
{
    CChildFrame* child = ActiveChild();
    return child ? child->GetDocument() : nullptr;
}

void CChildWindows::OnSubWindowActivated(QMdiSubWindow* window)
{
    auto* frame = qobject_cast<CChildFrame*>(window);
    if (frame != nullptr && m_docs.Frames().contains(frame))
        m_pLastChild = frame;
    else if (m_docs.Frames().isEmpty())
        m_pLastChild = nullptr;
    emit activeChildChanged();
}

void CChildWindows::OnDocumentsChanged()
{
    const QList<CChildFrame*> frames = m_docs.Frames();
    if (!m_pLastChild || !frames.contains(m_pLastChild.data())) {
        auto* current = qobject_cast<CChildFrame*>(m_pMdiArea->currentSubWindow());
        m_pLastChild = (current && frames.contains(current))
                           ? current
                           : (frames.isEmpty() ? nullptr : frames.constLast());
    }
    emit activeChildChanged();
}

void CChildWindows::Cascade()
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

void CChildWindows::Tile()
{
    m_pMdiArea->tileSubWindows();
}

void CChildWindows::ArrangeIcons()
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

void CChildWindows::UpdateWindowList(QMenu& menu)
{
    for (QAction* action : std::as_const(m_windowListActions)) {
        menu.removeAction(action);
        action->deleteLater();
    }
    m_windowListActions.clear();
    const QList<CChildFrame*> frames = m_docs.Frames();
    if (frames.isEmpty())
        return;
    m_windowListActions << menu.addSeparator();
    CChildFrame* active = ActiveChild();
    for (qsizetype i = 0; i < frames.size() && i < 9; ++i) {
        CChildFrame* frame = frames[i];
        QString title = frame->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = menu.addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title));
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
