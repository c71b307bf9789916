#pragma once

class CProgramState;
class IHostUi;
class QWidget;

// The Options command, from the Edit menu or a right press off the grid: the dialog, and
// on OK every pattern view repainted at once rather than half in the old colours (the
// frame pen is made from the Border setting at each repaint, so nothing else is rebuilt).
void OpenOptions(CProgramState& state, IHostUi& ui, QWidget* parent);
