#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// The main window's placement as stored between runs; left -1 means none stored.
struct WindowPlacement
{
    bool maximized = false;
    int left = -1;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The position of a window whose frame starts at frame.topLeft() with the size of
// frame, moved onto the nearest of the screens (their available areas) when its title
// bar, the titleHeight pixels at the top, would show on none of them. Otherwise the
// position as it is.
QPoint KeepTitleBarOnScreens(const QRect& frame, int titleHeight, const QList<QRect>& screens);

// The size of a window whose frame starts at `at`, cut to the available area of the screen
// it goes on (the one `at` is on, else the nearest): no wider than that area, and no
// taller than it less the titleHeight of the title bar above the size. Without screens,
// the size as it is.
QSize FitOnScreens(QPoint at, QSize size, int titleHeight, const QList<QRect>& screens);

// The available areas of the screens there are now.
QList<QRect> AvailableScreenAreas();
