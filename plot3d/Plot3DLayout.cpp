#include "plot3d/Plot3DLayout.h"

#include <algorithm>

Plot3DLayout LayOutPlot3D(int cx, int cy)
{
    Plot3DLayout layout;
    layout.chart = {4, 4, std::max(0, cx - 8), std::max(0, cy - 48)};

    int w = 104;
    int g = 44;
    if (cx < 312) {
        w = cx / 3;
        g = 0;
    } else if (cx < 532) {
        g = (cx - 312) / 5;
    }
    const int top = cy - 36;
    const int cancelX = (cx - w) / 2;
    layout.cancel = {cancelX, top, w, 28};
    layout.ok = {cancelX - g - w, top, w, 28};
    layout.print = {(cx + w) / 2 + g, top, w, 28};
    return layout;
}
