#pragma once

#include <QDialog>

class CVespiraDoc;
class IChart3D;
class QPushButton;
struct Plot3DSettings;

// The 3D plot window: the pattern's intensities as a surface chart the user can turn and
// print. OK keeps the chart's view for the next plot, Cancel keeps nothing.
class C3DPlotDlg : public QDialog
{
    Q_OBJECT

public:
    // Fills the chart at once; the chart's widget becomes the dialog's child. settings
    // are the program-wide 3D view settings, applied while their flag is on and updated
    // by OK.
    C3DPlotDlg(CVespiraDoc& doc, Plot3DSettings& settings, IChart3D& chart,
               QWidget* parent = nullptr);

    void accept() override;
    // Closing in any way keeps the window's size for the next plot.
    void done(int result) override;

    QPushButton* OkButton() const { return m_pOk; }
    QPushButton* CancelButton() const { return m_pCancel; }
    QPushButton* PrintButton() const { return m_pPrint; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnInitDialog();
    void OnPrint();

    CVespiraDoc& m_doc;
    Plot3DSettings& m_settings;
    IChart3D& m_chart;
    QPushButton* m_pOk;
    QPushButton* m_pCancel;
    QPushButton* m_pPrint;
};
