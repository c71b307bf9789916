#pragma once

#include "link/CTargetPipe.h"
#include "link/CTargetSender.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <vector>

class IHostUi;
struct JobFields;
class CVespiraDoc;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// "Send targets to ORMA / Start collecting targets": lists the targets of a pattern,
// sends them to the instrument (Send), then the order to collect them with the job
// fields (Collect). The exchanges themselves are CTargetSender's.
class CSendTargetsDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr char kCaption[] = "Send targets to ORMA / Start collecting targets";
    static constexpr char kListHeader[] = "Run# Frame#    X mm    Y mm    Time sec";

    CSendTargetsDlg(CVespiraDoc& doc, JobFields& job, IHostUi& ui, QWidget* parent = nullptr);

    CVespiraDoc& GetDocument() const { return m_doc; }
    // The exchange of this dialog, for its time-outs.
    // True after a complete Send: Collect is the default button, the job edits enabled.
    bool IsCollecting() const { return m_bCollecting; }

    void OnSend();
    void OnCollect();

private:
    void EnterCollectingPhase();
    // The sample number when every job field can be sent as typed; otherwise the first
    // field that cannot has been named in a message and has the focus.
    std::optional<int> CheckedFields();
    // Runs exchanges under the wait cursor; a failure's message is shown.
    bool Succeeds(const std::function<int()>& exchange);

    CVespiraDoc& m_doc;
    JobFields& m_job;
    IHostUi& m_ui;
    std::vector<Target> m_targets;
    CTargetPipe m_pipe;
    CTargetSender m_sender;
    bool m_bCollecting = false;

    QPushButton* m_pSend;
    QPushButton* m_pCollect;
    QPushButton* m_pCancel;
    QPlainTextEdit* m_pList;
    QLineEdit* m_pJobName;
    QLineEdit* m_pTitle;
    QLineEdit* m_pSample;
    QLineEdit* m_pSampleNumber;
};
