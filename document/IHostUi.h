#pragma once

#include <QString>
#include <QStringList>

class QDialog;

// What the model needs from the user interface: message boxes and the wait cursor.
// The GUI fills it with real boxes; tools print; tests answer from a script.
class IHostUi
{
public:
    enum class Buttons
    {
        Ok,
        OkCancel,
        YesNoCancel
    };
    enum class Answer
    {
        Ok,
        Cancel,
        Yes,
        No
    };

    virtual ~IHostUi() = default;
    virtual Answer ShowMessage(const QString& text, Buttons buttons = Buttons::Ok,
                               Answer defaultAnswer = Answer::Ok) = 0;
    virtual void BeginWaitCursor() {}
    virtual void EndWaitCursor() {}
    // Runs a modal dialog and gives its result (QDialog::Accepted or Rejected); tests
    // fill the dialog's controls and answer without a real modal loop.
    virtual int ExecDialog(QDialog& dialog);
    // The one program-wide status text (status pane 101).
    virtual void SetStatusText(const QString& text) { (void)text; }
    // A box with an error icon and a caption of its own (a dialog's range checks); where
    // captions are not shown it is the ordinary message.
    virtual void ShowError(const QString& caption, const QString& text)
    {
        (void)caption;
        ShowMessage(text);
    }
    // A question with answers of its own: buttons holds their texts ("&Restore", ...).
    // Gives the index of the one chosen; escapeButton when the box is closed without one.
    virtual int AskQuestion(const QString& text, const QStringList& buttons, int defaultButton,
                            int escapeButton);
    // A message that must not hold up the work at hand (a scan journal that stopped):
    // the GUI shows it in a box once that work is done.
    virtual void ShowNotice(const QString& text) { ShowMessage(text); }
    // The instrument's last remote command ("Remote NEWPOINT command:"), in a pane of its
    // own where there is one, so that the pointer readout stays readable during a scan.
    virtual void ShowRemoteCommand(const QString& text) { SetStatusText(text); }
};

// Writes every message as one "message: " line on standard error and gives the
// default answer; the stand-in for programs without windows.
class CStderrUi : public IHostUi
{
public:
    Answer ShowMessage(const QString& text, Buttons buttons, Answer defaultAnswer) override;
};

// The one-line form of a message for standard error: line breaks become spaces.
QString MessageLine(const QString& text);

// Shows the wait cursor for as long as it lives.
class CWaitCursor
{
public:
    explicit CWaitCursor(IHostUi& ui) : m_ui(ui) { m_ui.BeginWaitCursor(); }
    ~CWaitCursor() { m_ui.EndWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    IHostUi& m_ui;
};
