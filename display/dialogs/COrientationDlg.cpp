#include "display/dialogs/COrientationDlg.h"

#include "document/ViewOptions.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

COrientationDlg::COrientationDlg(ViewOptions& options, QWidget* parent)
    : QDialog(parent), m_options(options)
{
    setWindowTitle(QStringLiteral("Orientation"));

    static const char* const kLabels[kOrientationCount] = {"+X,+Y", "-X,+Y", "-X,-Y", "+X,-Y"};
    auto* group = new QGroupBox(QStringLiteral("Image"));
    auto* row = new QHBoxLayout(group);
    auto* exclusive = new QButtonGroup(this);
    for (int i = 0; i < kOrientationCount; ++i) {
        m_buttons[i] = new QRadioButton(QString::fromLatin1(kLabels[i]));
        m_buttons[i]->setObjectName(QStringLiteral("orientation%1").arg(i));
        exclusive->addButton(m_buttons[i], i);
        row->addWidget(m_buttons[i]);
    }
    // A stored value outside 0..3 sets no button.
    if (m_options.orientation >= 0 && m_options.orientation < kOrientationCount)
        m_buttons[m_options.orientation]->setChecked(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &COrientationDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COrientationDlg::reject);

    auto* top = new QVBoxLayout(this);
    top->addWidget(group);
    top->addWidget(buttons);
}

void COrientationDlg::accept()
{
    for (int i = 0; i < kOrientationCount; ++i)
        if (m_buttons[i]->isChecked())
            m_options.orientation = i;
    QDialog::accept();
}
