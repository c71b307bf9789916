#pragma once

#include <QDialog>

#include <optional>

class IHostUi;
class QLineEdit;

// "Radiography Selection Properties": the scan time that newly selected targets
// receive (the program-wide default scan time). Targets already selected keep theirs.
class CSelectionPropertiesDlg : public QDialog
{
    Q_OBJECT

public:
    // Characters of the edit that are read.
    static constexpr int kMaxScanTimeText = 63;

    // defaultScanTime: the time new targets get, shown and on OK replaced.
    CSelectionPropertiesDlg(float& defaultScanTime, IHostUi& ui, QWidget* parent = nullptr);

    // The scan time an entry gives: leading blanks skipped, the longest leading number
    // taken, accepted when greater than 0.9 in single precision and finite; none otherwise.
    static std::optional<float> ParseScanTime(const QString& text);

    void accept() override;

private:
    float& m_fDefaultScanTime;
    IHostUi& m_ui;
    QLineEdit* m_pEdit;
};
