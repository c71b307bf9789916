#pragma once

#include <QDialog>

struct ViewOptions;
class QRadioButton;

// "Orientation": in which direction the X and Y axes of the patterns run on screen
// (the program-wide image orientation 0 "+X,+Y", 1 "-X,+Y", 2 "-X,-Y", 3 "+X,-Y").
class COrientationDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kOrientationCount = 4;

    explicit COrientationDlg(ViewOptions& options, QWidget* parent = nullptr);

    QRadioButton* Button(int orientation) const { return m_buttons[orientation]; }

    void accept() override;

private:
    ViewOptions& m_options;
    QRadioButton* m_buttons[kOrientationCount];
};
