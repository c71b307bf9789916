#pragma once

#include <QDialog>

class CLiveViewSharing;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// View > Share Live View...: starts sharing when it opens, shows the page's address with
// a Copy button, and turns sharing, other computers and keeping the address on and off.
class CShareLiveViewDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CShareLiveViewDlg(CLiveViewSharing& sharing, QWidget* parent = nullptr);

    QCheckBox* ShareBox() const { return m_pShare; }
    QCheckBox* AllowOthersBox() const { return m_pAllowOthers; }
    QCheckBox* KeepAddressBox() const { return m_pKeep; }
    QLineEdit* AddressEdit() const { return m_pAddress; }
    QPushButton* CopyButton() const { return m_pCopy; }
    QLabel* StatusLabel() const { return m_pStatus; }

private:
    void OnShareToggled(bool on);
    void OnAllowOthersToggled(bool on);
    void Refresh();

    CLiveViewSharing& m_sharing;
    QCheckBox* m_pShare;
    QLineEdit* m_pAddress;
    QPushButton* m_pCopy;
    QCheckBox* m_pAllowOthers;
    QCheckBox* m_pKeep;
    QLabel* m_pStatus;
    QString m_strError;
};
