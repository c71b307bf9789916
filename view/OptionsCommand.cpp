#include "view/OptionsCommand.h"

#include "display/dialogs/COptionsDlg.h"
#include "document/IHostUi.h"
#include "view/CVespiraView.h"

void OpenOptions(CProgramState& state, IHostUi& ui, QWidget* parent)
{
    COptionsDlg dialog(state, parent);
    if (ui.ExecDialog(dialog) == QDialog::Accepted)
        CVespiraView::RepaintAllViews();
}
