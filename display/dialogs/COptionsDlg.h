#pragma once

#include "document/Colour.h"

#include <QDialog>

class IHostUi;
struct ProgramColours;
class QLineEdit;
class QSlider;
class QWidget;

// "Options": the display colours (Border, Selection, ActiveTarget, Foreground,
// Background, and the colour of points a scan has not reached yet), each edited as red, green and
// blue with an edit and a slider, beside a swatch of the colour being built. The settings change
// only on OK.
class COptionsDlg : public QDialog
{
    Q_OBJECT

public:
    enum Group
    {
        kBorder,
        kSelection,
        kActiveTarget,
        kForeground,
        kBackground,
        kNotMeasured,
        kGroupCount
    };
    static constexpr int kComponentCount = 3;

    COptionsDlg(ProgramColours& colours, IHostUi& ui, QWidget* parent = nullptr);

    // The working colour of a group.
    COLORREF Colour(int group) const { return m_colours[group]; }
    QLineEdit* Edit(int group, int component) const { return m_edits[group][component]; }
    QSlider* Slider(int group, int component) const { return m_sliders[group][component]; }
    QWidget* Swatch(int group) const { return m_swatches[group]; }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Takes one edit's number into the working colour (moving its slider when asked);
    // a number outside 0..255 is refused with a message and the last accepted one shown
    // again. The swatch is redrawn either way.
    bool ValidateComponent(int group, int component, bool moveSlider);
    void OnEditFinished(int group, int component);
    void OnSliderMoved(int group, int component);
    void ShowComponent(int group, int component);

    ProgramColours& m_programColours;
    IHostUi& m_ui;
    COLORREF m_colours[kGroupCount] = {};
    QLineEdit* m_edits[kGroupCount][kComponentCount] = {};
    QSlider* m_sliders[kGroupCount][kComponentCount] = {};
    QWidget* m_swatches[kGroupCount] = {};
    bool m_checking = false;
};
