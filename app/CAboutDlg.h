#pragma once

#include <QDialog>

// The About box: "About Vespira", the product line, version and date, and OK.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
