#include "view/OptionsCommand.h"

#include "display/dialogs/COptionsDlg.h"
#include "document/IHostUi.h"
#include "view/CVespiraView.h"

void OpenOptions(ProgramColours& colours, IHostUi& ui, QWidget* parent)
{
    COptionsDlg dialog(colours, ui, parent);
    if (ui.ExecDialog(dialog) == QDialog::Accepted)
        CVespiraView::RepaintAllViews();
}
