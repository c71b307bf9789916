#include "app/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <limits>

namespace {

// A title bar shows when this much of it (or all of a narrower one) is on a screen: the
// user can take it with the mouse.
constexpr int kMinimumVisibleWidth = 100;

long long Distance(const QRect& a, const QRect& b)
{
    const long long dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
    const long long dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
    return dx * dx + dy * dy;
}

} // namespace

QPoint KeepTitleBarOnScreens(const QRect& frame, int titleHeight, const QList<QRect>& screens)
{
    const QRect title(frame.topLeft(), QSize(frame.width(), std::max(titleHeight, 1)));
    const int needWidth = std::min(kMinimumVisibleWidth, title.width());
    const QRect* nearest = nullptr;
    long long best = std::numeric_limits<long long>::max();
    for (const QRect& screen : screens) {
        if (!screen.isValid())
            continue;
        const QRect seen = screen.intersected(title);
        if (seen.width() >= needWidth && seen.height() >= title.height() / 2 + 1)
            return frame.topLeft();
        const long long d = Distance(title, screen);
        if (d < best) {
            best = d;
            nearest = &screen;
        }
    }
    if (nearest == nullptr)
        return frame.topLeft();
    // Wholly on that screen where it fits; else its top-left corner at the screen's.
    const int left =
        std::max(nearest->left(), std::min(frame.left(), nearest->right() + 1 - frame.width()));
    const int top =
        std::max(nearest->top(), std::min(frame.top(), nearest->bottom() + 1 - frame.height()));
    return QPoint(left, top);
}

QSize FitOnScreens(QPoint at, QSize size, int titleHeight, const QList<QRect>& screens)
{
    const QRect corner(at, QSize(1, 1));
    const QRect* target = nullptr;
    long long best = std::numeric_limits<long long>::max();
    for (const QRect& screen : screens) {
        if (!screen.isValid())
            continue;
        const long long d = Distance(corner, screen);
        if (d < best) {
            best = d;
            target = &screen;
        }
    }
    if (target == nullptr)
        return size;
    return QSize(std::min(size.width(), target->width()),
                 std::min(size.height(), std::max(1, target->height() - titleHeight)));
}

QList<QRect> AvailableScreenAreas()
{
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    return areas;
}
