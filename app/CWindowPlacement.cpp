#include "app/CWindowPlacement.h"

#include "app/ScreenPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

// Room for the window manager's title bar above the client, which is not known before
// the window is shown.
constexpr int kTitleBarHeight = 30;

} // namespace

CWindowPlacement::CWindowPlacement(QWidget& window) : QObject(&window), m_window(window)
{
    window.installEventFilter(this);
}

void CWindowPlacement::Apply(const WindowPlacement& placement)
{
    if (placement.left < 0)
        return; // the system's default placement
    // Stored sizes are cut to the screen the window goes on: a huge one would make a
    // window of 32767 x 32767 pixels.
    const QList<QRect> screens = AvailableScreenAreas();
    if (placement.width > 0 && placement.height > 0)
        m_window.resize(FitOnScreens(QPoint(placement.left, placement.top),
                                     QSize(placement.width, placement.height), kTitleBarHeight,
                                     screens));
    const QPoint place = KeepTitleBarOnScreens(
        QRect(QPoint(placement.left, placement.top), m_window.size() + QSize(0, kTitleBarHeight)),
        kTitleBarHeight, screens);
    m_window.move(place);
    m_normalPos = place;
    m_normalSize = m_window.size();
    m_bHaveNormal = true;
}

WindowPlacement CWindowPlacement::Capture() const
{
    WindowPlacement p;
    p.maximized = m_window.isMaximized();
    QPoint pos = m_window.pos();
    QSize size = m_window.size();
    if (m_window.windowState() &
        (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) {
        if (m_bHaveNormal) {
            pos = m_normalPos;
            size = m_normalSize;
        } else {
            pos = m_window.normalGeometry().topLeft();
            size = m_window.normalGeometry().size();
        }
    }
    p.left = std::max(0, pos.x());
    p.top = pos.y();
    p.width = size.width();
    p.height = size.height();
    return p;
}

bool CWindowPlacement::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        RememberNormalPlacement();
    return QObject::eventFilter(watched, event);
}

void CWindowPlacement::RememberNormalPlacement()
{
    if (!m_window.isVisible() ||
        (m_window.windowState() &
         (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return;
    m_normalPos = m_window.pos();
    m_normalSize = m_window.size();
    m_bHaveNormal = true;
}
