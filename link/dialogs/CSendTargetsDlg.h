#pragma once

#include "document/ScanGrid.h"
#include "link/CExchangeThread.h"
#include "link/CTargetPipe.h"
#include "link/CTargetSender.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <optional>
#include <vector>

class IHostUi;
struct JobFields;
class CVespiraDoc;
class QEventLoop;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressDialog;
class QPushButton;

// "Send targets to ORMA / Start collecting targets": lists the targets of a pattern,
// sends them to the instrument (Send), then the order to collect them with the job
// fields (Collect). The exchanges themselves are CTargetSender's; they run off the GUI
// thread, so the remote command socket is answered and the window redrawn meanwhile.
class CSendTargetsDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr char kCaption[] = "Send targets to ORMA / Start collecting targets";
    static constexpr char kListHeader[] = "Run# Frame#    X mm    Y mm    Time sec";
    // The progress of a send is shown once it has taken this long.
    static constexpr int kProgressDelayMs = 1000;

    CSendTargetsDlg(CVespiraDoc& doc, JobFields& job, IHostUi& ui, QWidget* parent = nullptr);
    ~CSendTargetsDlg() override;

    // The exchange of this dialog, for its time-outs.
    CTargetPipe& Pipe() { return m_pipe; }
    // True after a complete Send: Collect is the default button, the job edits enabled.
    bool IsCollecting() const { return m_bCollecting; }
    // True while a Send or a Collect is under way.
    bool IsSending() const { return m_exchange.IsRunning(); }

    // Both return once the exchange has ended; the event loop runs meanwhile.
    void OnSend();
    void OnCollect();
    // While an exchange is under way, closing the dialog stops it after the current
    // message instead.
    void reject() override;

private:
    // What the list was made from: the pattern's grid and the state of its targets.
    struct ListedState
    {
        ScanGrid grid;
        unsigned selectionGeneration = 0;
        bool open = false;
    };
    struct Outcome
    {
        int result = kPipeOk;
        int sent = 0;
        bool stopped = false;
    };

    ListedState StateOfDocument() const;
    static bool SameState(const ListedState& a, const ListedState& b);
    // What changed between two states, as a message names it.
    static QString ChangeBetween(const ListedState& before, const ListedState& now);
    // Lists the targets of the pattern as they are now; a pattern closed meanwhile has
    // none. Back in the sending phase when the list sent is no longer the one shown.
    void Relist();
    // Follows the pattern while the dialog is open; `reason` goes to the note above the
    // job fields.
    void OnDocumentChanged();
    // True when the list shown is the pattern's; otherwise the list is made anew and a
    // message names what changed, and nothing is sent.
    bool ListIsCurrent();

    void EnterCollectingPhase();
    void LeaveCollectingPhase();
    // The sample number when every job field can be sent as typed; otherwise the first
    // field that cannot has been named in a message and has the focus.
    std::optional<int> CheckedFields();
    // Runs `exchange` on the worker thread and the event loop until it has ended, with
    // the progress of `total` targets shown from kProgressDelayMs on (no count for a
    // total of -1). None when the dialog was destroyed meanwhile.
    std::optional<Outcome> Run(CExchangeThread::Exchange exchange, int total);
    void ShowProgress();
    void UpdateProgress();
    void SetControlsEnabled(bool enabled);

    QPointer<CVespiraDoc> m_pDoc;
    JobFields& m_job;
    IHostUi& m_ui;
    std::vector<Target> m_targets;
    ListedState m_listed;
    CTargetPipe m_pipe;
    CTargetSender m_sender;
    // Declared after the pipe and the sender it uses, so it ends before them.
    CExchangeThread m_exchange;
    bool m_bCollecting = false;
    int m_nProgressTotal = 0;
    QEventLoop* m_pLoop = nullptr;
    QProgressDialog* m_pProgress = nullptr;
    QTimer m_progressDelay;
    QTimer m_progressTick;

    QPushButton* m_pSend;
    QPushButton* m_pCollect;
    QPushButton* m_pCancel;
    QPlainTextEdit* m_pList;
    QLabel* m_pNote;
    QLineEdit* m_pJobName;
    QLineEdit* m_pTitle;
    QLineEdit* m_pSample;
    QLineEdit* m_pSampleNumber;
};
