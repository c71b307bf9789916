#include "link/dialogs/CSendTargetsDlg.h"

#include "base/FixedText.h"
#include "base/NumberText.h"
#include "document/CVespiraDoc.h"
#include "document/IHostUi.h"
#include "link/JobFieldCheck.h"
#include "link/JobFields.h"

#include <QEventLoop>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <string>
#include <utility>

namespace {

// No length limit on the edits: a limit would cut a paste without a word. Collect
// refuses what cannot be sent instead.
QLineEdit* JobEdit(const char* name, const char* text)
{
    auto* edit = new QLineEdit(QString::fromUtf8(text));
    edit->setObjectName(QLatin1String(name));
    edit->setEnabled(false);
    return edit;
}

QString Grouped(int value)
{
    return QString::fromStdString(FormatGrouped(value));
}

// Wide enough for the whole caption in the title bar, with room for its buttons.
void FitCaption(QWidget& window)
{
    window.setMinimumWidth(window.fontMetrics().horizontalAdvance(window.windowTitle()) + 160);
}

} // namespace

CSendTargetsDlg::CSendTargetsDlg(CVespiraDoc& doc, JobFields& job, IHostUi& ui, QWidget* parent)
    : QDialog(parent), m_pDoc(&doc), m_job(job), m_ui(ui), m_pipe(TargetSocketPath()),
      m_sender(m_pipe)
{
    setObjectName(QStringLiteral("CSendTargetsDlg"));
    setWindowTitle(QString::fromLatin1(kCaption));
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    auto* header = new QLabel(QString::fromLatin1(kListHeader));
    header->setObjectName(QStringLiteral("listHeader"));
    header->setFont(fixed);
    header->setTextFormat(Qt::PlainText);
    m_pList = new QPlainTextEdit;
    m_pList->setObjectName(QStringLiteral("targetList"));
    m_pList->setFont(fixed);
    m_pList->setReadOnly(true);
    m_pList->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_pList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pList->setMinimumWidth(
        QFontMetrics(fixed).horizontalAdvance(QString::fromLatin1(kListHeader)) + 48);
    m_pNote = new QLabel;
    m_pNote->setObjectName(QStringLiteral("listNote"));
    m_pNote->setTextFormat(Qt::PlainText);
    m_pNote->setWordWrap(true);
    m_pNote->hide();

    m_pJobName = JobEdit("jobName", job.szJobName);
    m_pTitle = JobEdit("title", job.szTitle);
    m_pSample = JobEdit("sample", job.szSampleName);
    m_pSampleNumber = JobEdit("sampleNumber", std::to_string(job.nSampleNumber).c_str());
    m_pSampleNumber->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*")), m_pSampleNumber));

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Jobname"), m_pJobName);
    fields->addRow(QStringLiteral("Title"), m_pTitle);
    fields->addRow(QStringLiteral("Sample"), m_pSample);
    fields->addRow(QStringLiteral("Sample Number"), m_pSampleNumber);

    m_pSend = new QPushButton(QStringLiteral("Send"));
    m_pSend->setObjectName(QStringLiteral("send"));
    m_pCollect = new QPushButton(QStringLiteral("Collect"));
    m_pCollect->setObjectName(QStringLiteral("collect"));
    m_pCollect->setEnabled(false);
    m_pCancel = new QPushButton(QStringLiteral("Cancel"));
    m_pCancel->setObjectName(QStringLiteral("cancel"));
    m_pSend->setDefault(true);
    m_pCollect->setAutoDefault(false);
    m_pCancel->setAutoDefault(false);
    connect(m_pSend, &QPushButton::clicked, this, &CSendTargetsDlg::OnSend);
    connect(m_pCollect, &QPushButton::clicked, this, &CSendTargetsDlg::OnCollect);
    connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pSend);
    buttons->addWidget(m_pCollect);
    buttons->addWidget(m_pCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addWidget(m_pList, 1);
    layout->addWidget(m_pNote);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    FitCaption(*this);
    m_pSend->setFocus();

    Relist();
    // Queued: a load installs its grid before it reads the targets.
    connect(&doc, &CVespiraDoc::gridChanged, this, &CSendTargetsDlg::OnDocumentChanged,
            Qt::QueuedConnection);
    connect(&doc, &QObject::destroyed, this, &CSendTargetsDlg::OnDocumentChanged,
            Qt::QueuedConnection);

    m_progressDelay.setSingleShot(true);
    m_progressDelay.setInterval(kProgressDelayMs);
    connect(&m_progressDelay, &QTimer::timeout, this, &CSendTargetsDlg::ShowProgress);
    // The worker counts; the label follows a few times a second, never once a message.
    m_progressTick.setInterval(100);
    connect(&m_progressTick, &QTimer::timeout, this, &CSendTargetsDlg::UpdateProgress);
}

CSendTargetsDlg::~CSendTargetsDlg()
{
    // The worker ends after its current message; the loop waiting for it must not wait
    // on a dialog that is gone.
    m_exchange.Stop();
    if (m_pLoop != nullptr)
        m_pLoop->quit();
}

CSendTargetsDlg::ListedState CSendTargetsDlg::StateOfDocument() const
{
    ListedState state;
    if (m_pDoc.isNull())
        return state;
    const CVespiraDoc& doc = *m_pDoc;
    state.grid = doc.Grid();
    state.selectionGeneration = doc.SelectionGeneration();
    // A closed pattern keeps its counts but has given up its arrays.
    state.open = doc.m_pScanTime.size() == static_cast<std::size_t>(doc.PointCount());
    return state;
}

bool CSendTargetsDlg::SameState(const ListedState& a, const ListedState& b)
{
    return a.open == b.open && a.selectionGeneration == b.selectionGeneration &&
           a.grid.nXPoints == b.grid.nXPoints && a.grid.nYPoints == b.grid.nYPoints &&
           a.grid.fXBeg == b.grid.fXBeg && a.grid.fXEnd == b.grid.fXEnd &&
           a.grid.fXInc == b.grid.fXInc && a.grid.fYBeg == b.grid.fYBeg &&
           a.grid.fYEnd == b.grid.fYEnd && a.grid.fYInc == b.grid.fYInc;
}

QString CSendTargetsDlg::ChangeBetween(const ListedState& before, const ListedState& now)
{
    if (!now.open)
        return QStringLiteral("the pattern was closed");
    ListedState sameTargets = now;
    sameTargets.selectionGeneration = before.selectionGeneration;
    if (!SameState(before, sameTargets))
        return QStringLiteral("the pattern has a new grid");
    return QStringLiteral("the targets of the pattern were changed");
}

void CSendTargetsDlg::Relist()
{
    m_listed = StateOfDocument();
    m_targets = m_listed.open ? ListTargets(*m_pDoc) : std::vector<Target>{};
    std::string text = TargetListText(m_targets);
    if (!text.empty())
        text.pop_back(); // no empty line after the last target
    m_pList->setPlainText(QString::fromStdString(text));
    // ORMA holds the list that was sent, which is not this one.
    if (m_bCollecting)
        LeaveCollectingPhase();
}

void CSendTargetsDlg::OnDocumentChanged()
{
    const ListedState now = StateOfDocument();
    if (SameState(now, m_listed))
        return;
    const QString change = ChangeBetween(m_listed, now);
    Relist();
    m_pNote->setText(QStringLiteral("The list was made anew: %1.").arg(change));
    m_pNote->show();
}

bool CSendTargetsDlg::ListIsCurrent()
{
    const ListedState now = StateOfDocument();
    if (!now.open) {
        Relist();
        m_ui.ShowMessage(QStringLiteral("Nothing was sent: the pattern of this list was closed."));
        return false;
    }
    if (SameState(now, m_listed))
        return true;
    const QString change = ChangeBetween(m_listed, now);
    Relist();
    m_ui.ShowMessage(QStringLiteral("Nothing was sent: %1 since the list was made.\n"
                                    "The list now shows the pattern's targets as they are; "
                                    "Send sends these.")
                         .arg(change));
    return false;
}

void CSendTargetsDlg::OnSend()
{
    if (m_bCollecting || IsSending() || !ListIsCurrent())
        return;
    // The targets as they are now: whatever happens to the pattern meanwhile, the list
    // goes out whole and in order, or the message says where it stopped.
    const ListedState sentState = m_listed;
    const int total = static_cast<int>(m_targets.size());
    const std::optional<Outcome> outcome = Run(
        [this, targets = m_targets](const CTargetSender::Proceed& proceed) {
            return m_sender.SendList(targets, proceed);
        },
        total);
    if (!outcome)
        return;
    const QString count =
        QStringLiteral("Targets sent: %1 of %2.").arg(Grouped(outcome->sent), Grouped(total));
    // After a stop or a failure it stays in the sending phase: the next Send starts over
    // from the start message.
    if (outcome->stopped) {
        m_ui.ShowMessage(QStringLiteral("Sending was cancelled after the current message.\n") +
                         count);
        return;
    }
    if (outcome->result != kPipeOk) {
        QString text = QString::fromLatin1(PipeResultMessage(outcome->result)) + QLatin1Char('\n');
        if (outcome->result == kPipeNotResponding)
            text += QStringLiteral("ORMA did not answer within %1 s, so sending stopped. ")
                        .arg(m_pipe.replyTimeoutMs / 1000.0);
        m_ui.ShowMessage(text + count);
        return;
    }
    const ListedState now = StateOfDocument();
    if (!SameState(now, sentState)) {
        const QString change = ChangeBetween(sentState, now);
        Relist();
        m_ui.ShowMessage(QStringLiteral("The targets were sent, but %1 while they were sent.\n"
                                        "The list now shows the pattern's targets as they are; "
                                        "send these before Collect.")
                             .arg(change));
        return;
    }
    m_ui.SetStatusText(QStringLiteral("Targets sent to ORMA: %1.").arg(Grouped(total)));
    EnterCollectingPhase();
}

std::optional<CSendTargetsDlg::Outcome> CSendTargetsDlg::Run(CExchangeThread::Exchange exchange,
                                                             int total)
{
    const QPointer<CSendTargetsDlg> self(this);
    Outcome outcome;
    QEventLoop loop;
    connect(&m_exchange, &CExchangeThread::finished, &loop,
            [&outcome, &loop](int result, int sent, bool stopped) {
                outcome = {result, sent, stopped};
                loop.quit();
            });
    m_nProgressTotal = total;
    if (!m_exchange.Start(std::move(exchange)))
        return std::nullopt;
    SetControlsEnabled(false);
    m_pLoop = &loop;
    m_progressDelay.start();
    loop.exec();
    if (self.isNull())
        return std::nullopt;
    m_pLoop = nullptr;
    m_progressDelay.stop();
    m_progressTick.stop();
    delete m_pProgress;
    m_pProgress = nullptr;
    SetControlsEnabled(true);
    return outcome;
}

void CSendTargetsDlg::ShowProgress()
{
    if (!IsSending() || m_pProgress != nullptr)
        return;
    m_pProgress = new QProgressDialog(this);
    m_pProgress->setObjectName(QStringLiteral("sendProgress"));
    m_pProgress->setWindowTitle(QString::fromLatin1(kCaption));
    FitCaption(*m_pProgress);
    // Shown now, and only by this dialog: its own timer would show it again after a
    // cancel, and a modal one would run the event loop inside setValue.
    m_pProgress->setMinimumDuration(0);
    m_pProgress->setAutoClose(false);
    m_pProgress->setAutoReset(false);
    m_pProgress->setWindowModality(Qt::NonModal);
    if (m_nProgressTotal < 0) {
        m_pProgress->setCancelButton(nullptr);
        m_pProgress->setRange(0, 0);
        m_pProgress->setLabelText(QStringLiteral("Sending the collect order to ORMA"));
    } else {
        m_pProgress->setRange(0, std::max(m_nProgressTotal, 1));
        connect(m_pProgress, &QProgressDialog::canceled, this, [this] {
            m_exchange.Stop();
            UpdateProgress();
        });
    }
    m_pProgress->show();
    UpdateProgress();
    m_progressTick.start();
}

void CSendTargetsDlg::UpdateProgress()
{
    if (m_pProgress == nullptr || m_nProgressTotal < 0)
        return;
    if (m_pProgress->wasCanceled())
        m_exchange.Stop();
    const int sent = m_exchange.Sent();
    if (m_exchange.StopRequested()) {
        m_pProgress->setLabelText(QStringLiteral("Stopping after the current message: "
                                                 "%1 of %2 targets sent")
                                      .arg(Grouped(sent), Grouped(m_nProgressTotal)));
        return;
    }
    // The target under way, counted from 1.
    m_pProgress->setLabelText(
        QStringLiteral("Sending target %1 of %2")
            .arg(Grouped(std::min(sent + 1, m_nProgressTotal)), Grouped(m_nProgressTotal)));
    m_pProgress->setValue(sent);
}

void CSendTargetsDlg::SetControlsEnabled(bool enabled)
{
    m_pCancel->setEnabled(enabled);
    if (m_bCollecting) {
        m_pCollect->setEnabled(enabled);
        for (QLineEdit* edit : {m_pJobName, m_pTitle, m_pSample, m_pSampleNumber})
            edit->setEnabled(enabled);
    } else {
        m_pSend->setEnabled(enabled);
    }
}

void CSendTargetsDlg::reject()
{
    if (IsSending()) {
        m_exchange.Stop();
        UpdateProgress();
        return;
    }
    QDialog::reject();
}

void CSendTargetsDlg::EnterCollectingPhase()
{
    m_bCollecting = true;
    m_pSend->setEnabled(false);
    m_pSend->setDefault(false);
    m_pCollect->setEnabled(true);
    m_pCollect->setDefault(true);
    for (QLineEdit* edit : {m_pJobName, m_pTitle, m_pSample, m_pSampleNumber})
        edit->setEnabled(true);
    m_pCollect->setFocus();
}

void CSendTargetsDlg::LeaveCollectingPhase()
{
    m_bCollecting = false;
    m_pCollect->setEnabled(false);
    m_pCollect->setDefault(false);
    m_pSend->setEnabled(true);
    m_pSend->setDefault(true);
    for (QLineEdit* edit : {m_pJobName, m_pTitle, m_pSample, m_pSampleNumber})
        edit->setEnabled(false);
    m_pSend->setFocus();
}

void CSendTargetsDlg::OnCollect()
{
    if (!m_bCollecting || IsSending())
        return;
    const std::optional<int> sampleNumber = CheckedFields();
    if (!sampleNumber)
        return;
    // ORMA would collect the list it was sent, which is no longer this pattern's.
    if (!ListIsCurrent())
        return;
    JobFields& job = m_job;
    SetJobText(job.szJobName, m_pJobName->text());
    SetJobText(job.szTitle, m_pTitle->text());
    SetJobText(job.szSampleName, m_pSample->text());
    job.nSampleNumber = *sampleNumber;
    const std::optional<Outcome> outcome =
        Run([this, job](const CTargetSender::Proceed&) { return m_sender.SendCollect(job); }, -1);
    if (!outcome)
        return;
    if (outcome->result != kPipeOk) {
        m_ui.ShowMessage(QString::fromLatin1(PipeResultMessage(outcome->result)));
        return;
    }
    m_ui.SetStatusText(
        QStringLiteral("Collect order sent to ORMA: %1 targets, job \"%2\".")
            .arg(Grouped(static_cast<int>(m_targets.size())), QString::fromUtf8(job.szJobName)));
    accept();
}

std::optional<int> CSendTargetsDlg::CheckedFields()
{
    const auto refuse = [this](QLineEdit* edit, const QString& message) {
        m_ui.ShowMessage(message);
        edit->setFocus();
        edit->selectAll();
    };
    const std::pair<QLineEdit*, const char*> texts[] = {
        {m_pJobName, "Jobname"}, {m_pTitle, "Title"}, {m_pSample, "Sample"}};
    for (const auto& [edit, label] : texts) {
        if (const std::optional<QString> problem =
                JobTextProblem(QString::fromLatin1(label), edit->text())) {
            refuse(edit, *problem);
            return std::nullopt;
        }
    }
    const std::optional<int> number = SampleNumberOfField(m_pSampleNumber->text());
    if (!number)
        refuse(m_pSampleNumber, SampleNumberProblem());
    return number;
}
