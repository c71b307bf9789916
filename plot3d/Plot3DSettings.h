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
};
