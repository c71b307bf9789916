#pragma once

// The 3D plot's stored view; present once stored values were read or the dialog took new
// ones, and only then written back.
struct Plot3DSettings
{
    bool present = false;
    int contourLevels = 10;
    double perspective = 0.0;
    double xRotation = 0.0;
    double yRotation = 0.0;
    double zRotation = 0.0;
    // The window's size when last closed (OK or Cancel); 0 until then. Kept apart from the
    // view: it is the user's choice of window, not of chart.
    int windowWidth = 0;
    int windowHeight = 0;
};
