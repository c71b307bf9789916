#include "plot3d/Plot3DCommand.h"

#include "document/CProgramState.h"
#include "plot3d/C3DPlotDlg.h"
#include "plot3d/CChart3D.h"

void Open3DPlot(CVespiraDoc& doc, CProgramState& state, QWidget* parent)
{
    bool software = false;
    if (!CChart3D::OpenGLAvailable(&software)) {
        state.ui->ShowMessage(QString::fromLatin1(kNoOpenGLMessage));
        return;
    }
    // The dialog takes the chart as its child and deletes it with itself.
    auto* chart = new CChart3D(*state.ui, software ? 0 : 4);
    if (!chart->HasContext()) {
        delete chart;
        state.ui->ShowMessage(QString::fromLatin1(kNoOpenGLMessage));
        return;
    }
    C3DPlotDlg dialog(doc, state.plot3d, *chart, parent);
    state.ui->ExecDialog(dialog);
}
