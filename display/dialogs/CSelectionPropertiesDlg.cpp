#include "display/dialogs/CSelectionPropertiesDlg.h"

#include "base/NumberText.h"
#include "document/IHostUi.h"
#include "document/ScanTimeRule.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include <cmath>

CSelectionPropertiesDlg::CSelectionPropertiesDlg(float& defaultScanTime, IHostUi& ui,
                                                 QWidget* parent)
    : QDialog(parent), m_fDefaultScanTime(defaultScanTime), m_ui(ui)
{
    setWindowTitle(QStringLiteral("Radiography Selection Properties"));

    auto* group = new QGroupBox(QStringLiteral("Scan Time"));
    m_pEdit = new QLineEdit;
    m_pEdit->setObjectName(QStringLiteral("scanTimeEdit"));
    m_pEdit->setAccessibleName(QStringLiteral("Scan Time"));
    auto* unit = new QLabel(QStringLiteral("Sec."));
    unit->setBuddy(m_pEdit);
    auto* row = new QHBoxLayout(group);
    row->addWidget(m_pEdit);
    row->addWidget(unit);

    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSelectionPropertiesDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSelectionPropertiesDlg::reject);

    auto* top = new QHBoxLayout(this);
    top->addWidget(group, 1);
    top->addWidget(buttons);

    // Wide enough for the whole caption beside the title-bar buttons.
    setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + 140);

    m_pEdit->setText(QString::asprintf("%.0f", static_cast<double>(m_fDefaultScanTime)));
    m_pEdit->setFocus();
}

std::optional<float> CSelectionPropertiesDlg::ParseScanTime(const QString& text)
{
    return AcceptedScanTime(CAtof(text.left(kMaxScanTimeText).toLocal8Bit().constData()));
}

void CSelectionPropertiesDlg::accept()
{
    const std::optional<float> time = ParseScanTime(m_pEdit->text());
    if (!time) {
        m_ui.ShowMessage(QString::fromLatin1(kScanTimeRangeMessage));
        m_pEdit->setFocus();
        return;
    }
    m_fDefaultScanTime = *time;
    QDialog::accept();
}
