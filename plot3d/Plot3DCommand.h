#pragma once

class IHostUi;
struct Plot3DSettings;
class CVespiraDoc;
class QWidget;

// The 3D Plot command: shows the 3D plot of the document modally, or says why it cannot
// where the display has no OpenGL.
void Open3DPlot(CVespiraDoc& doc, Plot3DSettings& settings, IHostUi& ui, QWidget* parent);

// Hands memory freed by a closed chart back to the system.
void GiveBackFreedMemory();

// The message of a display without OpenGL.
inline constexpr char kNoOpenGLMessage[] =
    "The 3D plot needs OpenGL, which is not available on this display.";
