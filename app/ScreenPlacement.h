#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

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
