#include "app/ChildPlacement.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

#include <algorithm>

namespace {

// Below this the default size is not three quarters of the area but the whole area.
constexpr int kMinimumWidth = 240;
constexpr int kMinimumHeight = 180;

} // namespace

QRect CascadeRect(QSize area, int index, int step)
{
    const int width = std::min(std::max(area.width() * 3 / 4, kMinimumWidth), area.width());
    const int height = std::min(std::max(area.height() * 3 / 4, kMinimumHeight), area.height());
    if (width <= 0 || height <= 0)
        return QRect(0, 0, kMinimumWidth, kMinimumHeight);
    step = std::max(step, 1);
    const int places =
        std::max(1, std::min((area.width() - width) / step, (area.height() - height) / step) + 1);
    const int offset = (std::max(index, 0) % places) * step;
    return QRect(offset, offset, width, height);
}

int CascadeStep(const QMdiArea& area)
{
    const QStyle* style = area.style();
    return style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &area) +
           style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &area);
}

QSize ChildArea(const QMdiArea& area)
{
    // The viewport takes its size only when the area is shown; the area's own size is
    // set by the main window's layout before that.
    return area.isVisible() ? area.viewport()->size() : area.contentsRect().size();
}

QList<QMdiSubWindow*> CascadedWindows(const QMdiArea& area)
{
    QList<QMdiSubWindow*> windows = area.subWindowList(QMdiArea::CreationOrder);
    windows.removeIf([](const QMdiSubWindow* w) { return w->isHidden() || w->isMinimized(); });
    return windows;
}
