#pragma once

#include <QList>
#include <QRect>
#include <QSize>

class QMdiArea;
class QMdiSubWindow;

// Where the child windows of the main window go: window i of a cascade lies one step
// down and right of window i - 1, every window of the default size (three quarters of
// the area), starting again at the top left when the next one would leave the area. New
// windows take the next place of the cascade.
QRect CascadeRect(QSize area, int index, int step);

// The step of a cascade: the height of a child's title bar and its frame.
int CascadeStep(const QMdiArea& area);
// The size of the area the children are placed in, also before the area is shown.
QSize ChildArea(const QMdiArea& area);
// The windows a cascade arranges: shown and not minimised, in the order they were made.
QList<QMdiSubWindow*> CascadedWindows(const QMdiArea& area);
