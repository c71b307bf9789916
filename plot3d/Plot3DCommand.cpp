#include "plot3d/Plot3DCommand.h"

#include "document/IHostUi.h"
#include "plot3d/C3DPlotDlg.h"
#include "plot3d/CChart3D.h"

#include <QCoreApplication>
#include <QEvent>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void GiveBackFreedMemory()
{
    // The surface's window and its renderer are deleted later, from the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
#if defined(__GLIBC__)
    // The chart's many small blocks stay with the C library's heap once freed; a closed
    // window should not leave the process 100 MB larger.
    malloc_trim(0);
#endif
}

void Open3DPlot(CVespiraDoc& doc, Plot3DSettings& settings, IHostUi& ui, QWidget* parent)
{
    bool software = false;
    if (!CChart3D::OpenGLAvailable(&software)) {
        ui.ShowMessage(QString::fromLatin1(kNoOpenGLMessage));
        return;
    }
    // The dialog takes the chart as its child and deletes it with itself.
    auto* chart = new CChart3D(ui, software ? 0 : 4);
    if (!chart->HasContext()) {
        delete chart;
        ui.ShowMessage(QString::fromLatin1(kNoOpenGLMessage));
        return;
    }
    {
        C3DPlotDlg dialog(doc, settings, *chart, parent);
        ui.ExecDialog(dialog);
    }
    GiveBackFreedMemory();
}
