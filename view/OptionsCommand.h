#pragma once

class IHostUi;
struct ProgramColours;
class QWidget;

// The Options command, from the Edit menu or a right press off the grid: the dialog, and
// on OK every pattern view repainted at once rather than half in the old colours (the
// frame pen is made from the Border setting at each repaint, so nothing else is rebuilt).
void OpenOptions(ProgramColours& colours, IHostUi& ui, QWidget* parent);
