#pragma once

// Where the 3D plot dialog puts its chart and its three buttons in a client area of
// cx by cy pixels: the chart fills it but for a 4-pixel margin and the button row; the
// buttons are centred, Cancel in the middle, shrinking and losing their gaps on narrow
// windows.
struct Plot3DLayout
{
    struct Box
    {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        bool operator==(const Box&) const = default;
    };
    Box chart;
    Box ok;
    Box cancel;
    Box print;
};

Plot3DLayout LayOutPlot3D(int cx, int cy);
