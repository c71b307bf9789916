#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

// The position of a window whose frame starts at frame.topLeft() with the size of
// frame, moved onto the nearest of the screens (their available areas) when its title
// bar, the titleHeight pixels at the top, would show on none of them. Otherwise the
// position as it is.
QPoint KeepTitleBarOnScreens(const QRect& frame, int titleHeight, const QList<QRect>& screens);
