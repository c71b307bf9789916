#pragma once

#include "document/IHostUi.h"

#include <QObject>
#include <QPointer>
#include <QString>

class CMainFrame;
class QMessageBox;
class QWidget;

// The user interface the model and the instrument link see in the running program.
// Every message box goes through ShowMessage: a QMessageBox with the caption
// "ORMA Radiography", after the "message: " line of the text on standard error. A box
// ends the splash first.
class CQtHostUi : public IHostUi
{
public:
    static constexpr char kCaption[] = "ORMA Radiography";

    Answer ShowMessage(const QString& text, Buttons buttons = Buttons::Ok,
                       Answer defaultAnswer = Answer::Ok) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    int ExecDialog(QDialog& dialog) override;
    // The same box with the caption given and an error icon.
    void ShowError(const QString& caption, const QString& text) override;
    // Goes to status pane 101 of the main frame (cut at 255 characters there).
    void SetStatusText(const QString& text) override;
    void ShowRemoteCommand(const QString& text) override;
    int AskQuestion(const QString& text, const QStringList& buttons, int defaultButton,
                    int escapeButton) override;
    // A box, once the work at hand is done (the event loop takes it up), and the status
    // bar's message area meanwhile.
    void ShowNotice(const QString& text) override;

    // Messages only on standard error, without boxes: for a run that shows no window
    // (printing from the command line).
    void SetStderrOnly(bool on) { m_bStderrOnly = on; }

    void SetMainFrame(CMainFrame* frame);
    CMainFrame* MainFrame() const;

private:
    Answer ShowBox(const QString& caption, const QString& text, Buttons buttons,
                   Answer defaultAnswer, bool error);
    // The open modal dialog, else the main window.
    QWidget* BoxParent() const;
    // Caption and text; the "message: " line goes to standard error before the box opens.
    static void SetUpBox(QMessageBox& box, const QString& caption, const QString& text);

    QPointer<CMainFrame> m_pMainFrame;
    // Holds the notices not shown yet; they go with it.
    QObject m_notices;
    QString m_strPendingStatus;
    bool m_bStatusPending = false;
    QString m_strPendingRemoteCommand;
    bool m_bStderrOnly = false;
};
