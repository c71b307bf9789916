#include "app/CQtHostUi.h"

#include "app/CMainFrame.h"
#include "app/CSplashWnd.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <cstdio>

namespace {

// The text on standard error first, so a check that reads it never waits on the box.
void AnnounceMessage(const QString& text)
{
    std::fprintf(stderr, "%s\n", MessageLine(text).toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

QWidget* CQtHostUi::BoxParent() const
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return m_pMainFrame ? static_cast<QWidget*>(m_pMainFrame.data()) : nullptr;
}

void CQtHostUi::SetUpBox(QMessageBox& box, const QString& caption, const QString& text)
{
    AnnounceMessage(text);
    // A box at start-up must not sit under the splash, nor its first click end the splash.
    CSplashWnd::HideSplash();
    box.setWindowTitle(caption);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
}

IHostUi::Answer CQtHostUi::ShowMessage(const QString& text, Buttons buttons, Answer defaultAnswer)
{
    return ShowBox(QString::fromLatin1(kCaption), text, buttons, defaultAnswer, false);
}

void CQtHostUi::ShowError(const QString& caption, const QString& text)
{
    ShowBox(caption, text, Buttons::Ok, Answer::Ok, true);
}

IHostUi::Answer CQtHostUi::ShowBox(const QString& caption, const QString& text, Buttons buttons,
                                   Answer defaultAnswer, bool error)
{
    if (m_bStderrOnly) {
        AnnounceMessage(text);
        return defaultAnswer;
    }
    QMessageBox box(BoxParent());
    SetUpBox(box, caption, text);
    QMessageBox::StandardButtons set;
    QMessageBox::StandardButton escape = QMessageBox::Ok;
    switch (buttons) {
    case Buttons::Ok:
        set = QMessageBox::Ok;
        box.setIcon(QMessageBox::Warning);
        break;
    case Buttons::OkCancel:
        set = QMessageBox::Ok | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        box.setIcon(QMessageBox::Warning);
        break;
    case Buttons::YesNoCancel:
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        box.setIcon(QMessageBox::Question);
        break;
    }
    if (error)
        box.setIcon(QMessageBox::Critical);
    box.setStandardButtons(set);
    box.setEscapeButton(escape);
    QMessageBox::StandardButton def = QMessageBox::Ok;
    switch (defaultAnswer) {
    case Answer::Ok:
        def = QMessageBox::Ok;
        break;
    case Answer::Cancel:
        def = QMessageBox::Cancel;
        break;
    case Answer::Yes:
        def = QMessageBox::Yes;
        break;
    case Answer::No:
        def = QMessageBox::No;
        break;
    }
    if (set.testFlag(def))
        box.setDefaultButton(def);

    // A message box shows the normal pointer even while a wait cursor is up.
    const bool wait = QApplication::overrideCursor() != nullptr;
    if (wait)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (wait)
        QApplication::restoreOverrideCursor();

    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        break;
    }
    // Closed without a button: the escape answer.
    return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
}

int CQtHostUi::AskQuestion(const QString& text, const QStringList& buttons, int defaultButton,
                           int escapeButton)
{
    QMessageBox box(BoxParent());
    SetUpBox(box, QString::fromLatin1(kCaption), text);
    box.setIcon(QMessageBox::Question);
    QList<QPushButton*> pushButtons;
    for (const QString& label : buttons)
        pushButtons << box.addButton(label, QMessageBox::ActionRole);
    if (defaultButton >= 0 && defaultButton < pushButtons.size())
        box.setDefaultButton(pushButtons[defaultButton]);
    if (escapeButton >= 0 && escapeButton < pushButtons.size())
        box.setEscapeButton(pushButtons[escapeButton]);
    box.exec();
    const auto chosen =
        static_cast<int>(pushButtons.indexOf(qobject_cast<QPushButton*>(box.clickedButton())));
    return chosen >= 0 ? chosen : escapeButton;
}

void CQtHostUi::ShowNotice(const QString& text)
{
    if (m_bStderrOnly) {
        AnnounceMessage(text);
        return;
    }
    if (m_pMainFrame)
        m_pMainFrame->statusBar()->showMessage(MessageLine(text));
    // Not inside the request that met the trouble: its reply would wait for the box.
    QTimer::singleShot(0, &m_notices, [this, text] { ShowMessage(text); });
}

void CQtHostUi::BeginWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CQtHostUi::EndWaitCursor()
{
    QApplication::restoreOverrideCursor();
}

int CQtHostUi::ExecDialog(QDialog& dialog)
{
    CSplashWnd::HideSplash();
    return dialog.exec();
}

void CQtHostUi::SetStatusText(const QString& text)
{
    if (m_pMainFrame) {
        m_pMainFrame->SetStatusText(text);
        return;
    }
    m_strPendingStatus = text;
    m_bStatusPending = true;
}

void CQtHostUi::ShowRemoteCommand(const QString& text)
{
    if (m_pMainFrame)
        m_pMainFrame->StatusPanes().SetRemoteCommandText(text);
    else
        m_strPendingRemoteCommand = text;
}

void CQtHostUi::SetMainFrame(CMainFrame* frame)
{
    m_pMainFrame = frame;
    if (frame && m_bStatusPending) {
        frame->SetStatusText(m_strPendingStatus);
        m_bStatusPending = false;
    }
    if (frame && !m_strPendingRemoteCommand.isEmpty()) {
        frame->StatusPanes().SetRemoteCommandText(m_strPendingRemoteCommand);
        m_strPendingRemoteCommand.clear();
    }
}

CMainFrame* CQtHostUi::MainFrame() const
{
    return m_pMainFrame.data();
}
