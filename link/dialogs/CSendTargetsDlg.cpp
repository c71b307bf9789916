#include "link/dialogs/CSendTargetsDlg.h"

#include "base/FixedText.h"
#include "document/CVespiraDoc.h"
#include "document/IHostUi.h"
#include "link/JobFieldCheck.h"
#include "link/JobFields.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
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

} // namespace

CSendTargetsDlg::CSendTargetsDlg(CVespiraDoc& doc, JobFields& job, IHostUi& ui, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_job(job), m_ui(ui), m_targets(ListTargets(doc)),
      m_pipe(TargetSocketPath()), m_sender(m_pipe)
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
    std::string text = TargetListText(m_targets);
    if (!text.empty())
        text.pop_back(); // no empty line after the last target
    m_pList->setPlainText(QString::fromStdString(text));
    m_pList->setMinimumWidth(
        QFontMetrics(fixed).horizontalAdvance(QString::fromLatin1(kListHeader)) + 48);

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
    layout->addLayout(fields);
    layout->addLayout(buttons);
    // Wide enough for the whole caption.
    setMinimumWidth(fontMetrics().horizontalAdvance(QString::fromLatin1(kCaption)) + 160);
    m_pSend->setFocus();
}

void CSendTargetsDlg::OnSend()
{
    if (m_bCollecting)
        return;
    // After a failure it stays in the sending phase: the next Send starts over from the
    // start message.
    if (Succeeds([this] { return m_sender.SendList(m_targets); }))
        EnterCollectingPhase();
}

bool CSendTargetsDlg::Succeeds(const std::function<int()>& exchange)
{
    int result = kPipeOk;
    {
        CWaitCursor wait(m_ui);
        result = exchange();
    }
    if (result == kPipeOk)
        return true;
    m_ui.ShowMessage(QString::fromLatin1(PipeResultMessage(result)));
    return false;
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

void CSendTargetsDlg::OnCollect()
{
    if (!m_bCollecting)
        return;
    const std::optional<int> sampleNumber = CheckedFields();
    if (!sampleNumber)
        return;
    JobFields& job = m_job;
    SetJobText(job.szJobName, m_pJobName->text());
    SetJobText(job.szTitle, m_pTitle->text());
    SetJobText(job.szSampleName, m_pSample->text());
    job.nSampleNumber = *sampleNumber;
    if (Succeeds([this, &job] { return m_sender.SendCollect(job); }))
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
