#pragma once

#include <QWidget>

class QTextBrowser;

// The user guide bundled with the program, shown by F1 and Help Topics.
class CHelpWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr char kGuideUrl[] = "qrc:/help/userguide.html";

    explicit CHelpWindow(QWidget* parent = nullptr);
    QTextBrowser* Browser() const { return m_pBrowser; }

private:
    QTextBrowser* m_pBrowser;
};
