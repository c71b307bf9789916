#include "web/dialogs/CShareLiveViewDlg.h"

#include "web/CLiveViewSharing.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CShareLiveViewDlg::CShareLiveViewDlg(CLiveViewSharing& sharing, QWidget* parent)
    : QDialog(parent), m_sharing(sharing),
      m_pShare(new QCheckBox(QStringLiteral("&Share the live view"), this)),
      m_pAddress(new QLineEdit(this)), m_pCopy(new QPushButton(QStringLiteral("&Copy"), this)),
      m_pAllowOthers(new QCheckBox(QStringLiteral("&Allow other computers"), this)),
      m_pKeep(new QCheckBox(QStringLiteral("&Keep this address for later runs"), this)),
      m_pStatus(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Share Live View"));
    auto* intro = new QLabel(
        QStringLiteral("Anyone who opens this address in a web browser sees the scan as it "
                       "comes in. They can look but change nothing."),
        this);
    intro->setWordWrap(true);
    m_pAddress->setReadOnly(true);
    m_pAddress->setMinimumWidth(420);
    m_pStatus->setWordWrap(true);
    auto* addressRow = new QHBoxLayout;
    addressRow->addWidget(m_pAddress, 1);
    addressRow->addWidget(m_pCopy);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_pShare);
    layout->addLayout(addressRow);
    layout->addWidget(m_pAllowOthers);
    layout->addWidget(m_pKeep);
    layout->addWidget(m_pStatus);
    layout->addWidget(buttons);

    m_pAllowOthers->setChecked(m_sharing.Settings().allowOthers);
    m_pKeep->setChecked(m_sharing.Settings().keepAddress);
    // Opening the dialog is asking to share.
    if (!m_sharing.IsSharing())
        m_sharing.Share(m_strError);
    m_pShare->setChecked(m_sharing.IsSharing());

    connect(m_pShare, &QCheckBox::toggled, this, &CShareLiveViewDlg::OnShareToggled);
    connect(m_pAllowOthers, &QCheckBox::toggled, this, &CShareLiveViewDlg::OnAllowOthersToggled);
    connect(m_pKeep, &QCheckBox::toggled, this, [this](bool on) { m_sharing.SetKeepAddress(on); });
    connect(m_pCopy, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(m_pAddress->text()); });
    connect(&m_sharing.Server(), &CLiveViewServer::viewersChanged, this,
            &CShareLiveViewDlg::Refresh);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Refresh();
}

void CShareLiveViewDlg::OnShareToggled(bool on)
{
    m_strError.clear();
    if (on)
        m_sharing.Share(m_strError);
    else
        m_sharing.StopSharing();
    Refresh();
}

void CShareLiveViewDlg::OnAllowOthersToggled(bool on)
{
    m_strError.clear();
    m_sharing.SetAllowOthers(on, m_strError);
    Refresh();
}

void CShareLiveViewDlg::Refresh()
{
    const bool sharing = m_sharing.IsSharing();
    {
        const QSignalBlocker block(m_pShare);
        m_pShare->setChecked(sharing);
    }
    m_pAddress->setText(sharing ? m_sharing.Server().Address() : QString());
    m_pAddress->setEnabled(sharing);
    m_pCopy->setEnabled(sharing);
    if (!m_strError.isEmpty()) {
        m_pStatus->setText(QStringLiteral("The live view could not be shared: %1").arg(m_strError));
        return;
    }
    if (!sharing) {
        m_pStatus->setText(QStringLiteral("The live view is not shared."));
        return;
    }
    const int viewers = m_sharing.Server().ViewerCount();
    m_pStatus->setText(viewers == 1 ? QStringLiteral("1 viewer is watching.")
                                    : QStringLiteral("%1 viewers are watching.").arg(viewers));
}
