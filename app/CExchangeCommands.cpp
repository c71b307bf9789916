#include "app/CExchangeCommands.h"

#include "app/CChildWindows.h"

#include "app/CChildFrame.h"
#include "app/CDocManager.h"
#include "app/CMainFrame.h"
#include "app/CTargetPanel.h"
#include "app/CommandIds.h"
#include "base/FilePath.h"
#include "document/CVespiraDoc.h"
#include "document/IHostUi.h"
#include "exchange/NexusFile.h"
#include "exchange/TargetCsv.h"
#include "exchange/TiffExport.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const char kNexusFilter[] = "NeXus/HDF5 files (*.nxs *.h5 *.hdf5)";
const char kTiffFilter[] = "TIFF images (*.tif *.tiff)";
const char kCsvFilter[] = "Target lists (*.csv)";

QString WithFilters(const char* first, const char* second = nullptr)
{
    QString filter = QString::fromLatin1(first);
    if (second != nullptr)
        filter += QStringLiteral(";;") + QString::fromLatin1(second);
    return filter + QStringLiteral(";;All Files (*)");
}

bool IsTiffName(const QString& name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == QLatin1String("tif") || suffix == QLatin1String("tiff");
}

} // namespace

CExchangeCommands::CExchangeCommands(CMainFrame& frame, CDocManager& docs, IHostUi& ui)
    : QObject(&frame), m_frame(frame), m_docs(docs), m_ui(ui)
{
    promptSaveFileName = [this](const QString& caption, const QString& filter,
                                const QString& suggested) {
        QFileDialog dialog(&m_frame, caption, m_docs.LastFolder(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.selectFile(suggested);
        if (m_ui.ExecDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        QString chosen = dialog.selectedFiles().constFirst();
        // The suffix of the chosen filter when the name has none.
        if (QFileInfo(chosen).suffix().isEmpty()) {
            const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\\*(\\.\\w+)"))
                                                  .match(dialog.selectedNameFilter());
            if (m.hasMatch())
                chosen += m.captured(1);
        }
        return chosen;
    };
    promptOpenFileName = [this](const QString& caption, const QString& filter) {
        QFileDialog dialog(&m_frame, caption, m_docs.LastFolder(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (m_ui.ExecDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    };

    m_pPanel = new CTargetPanel(
        ui, [this]() { return m_frame.ActiveChildDocument(); },
        [this](const CVespiraDoc* doc) { return ViewsOf(doc); }, &m_frame);
    m_frame.addDockWidget(Qt::RightDockWidgetArea, m_pPanel);
    m_pPanel->hide();

    const auto onDocument = [this](int id, bool (CExchangeCommands::*command)(CVespiraDoc&)) {
        m_frame.SetCommandHandler(id, [this, command]() {
            if (CVespiraDoc* doc = m_frame.ActiveChildDocument())
                (this->*command)(*doc);
        });
    };
    onDocument(ID_FILE_EXPORT, &CExchangeCommands::OnFileExport);
    onDocument(ID_EXPORT_TARGETS, &CExchangeCommands::OnExportTargets);
    onDocument(ID_IMPORT_TARGETS, &CExchangeCommands::OnImportTargets);
    m_frame.SetCommandHandler(ID_VIEW_TARGET_LIST,
                              [this]() { m_pPanel->setVisible(!m_pPanel->isVisible()); });
    m_frame.Commands().SetUpdateHandler(
        ID_VIEW_TARGET_LIST, [this](QAction& a) { a.setChecked(m_pPanel->isVisible()); });
    // The pattern windows' own signal: it goes with them when the main window closes.
    connect(&m_frame.Children(), &CChildWindows::activeChildChanged, m_pPanel,
            &CTargetPanel::Follow);
    connect(&m_docs, &CDocManager::documentsChanged, m_pPanel, &CTargetPanel::Follow);
}

QList<CVespiraView*> CExchangeCommands::ViewsOf(const CVespiraDoc* doc) const
{
    QList<CVespiraView*> views;
    for (CChildFrame* frame : m_docs.FramesOf(doc))
        views << frame->GetView();
    return views;
}

QString CExchangeCommands::SuggestedName(const CVespiraDoc& doc, const char* suffix) const
{
    QString name = QFileInfo(DisplayPath(doc.GetPathName())).completeBaseName();
    if (name.isEmpty()) {
        name = doc.GetName();
        const qsizetype bad =
            name.indexOf(QRegularExpression(QStringLiteral("[#%;/\\\\:*?\"<>|]")));
        if (bad >= 0)
            name.truncate(bad);
        name = QFileInfo(name.trimmed()).completeBaseName();
    }
    return name.isEmpty() ? QString() : name + QLatin1String(suffix);
}

bool CExchangeCommands::OnFileExport(CVespiraDoc& doc)
{
    const QString chosen =
        promptSaveFileName(QStringLiteral("Export"), WithFilters(kNexusFilter, kTiffFilter),
                           SuggestedName(doc, ".nxs"));
    const QByteArray path = PathFromUser(chosen);
    if (path.isEmpty())
        return false;
    m_docs.SetLastFolder(QFileInfo(chosen).absolutePath());
    bool written = false;
    {
        CWaitCursor wait(m_ui);
        written = IsTiffName(chosen) ? WriteTiffFile(doc, path)
                                     : WriteNexusFile(doc, doc.GetName(), path);
    }
    if (!written) {
        m_ui.ShowMessage(
            QStringLiteral("The pattern could not be exported as %1.").arg(DisplayPath(path)));
        return false;
    }
    m_ui.ShowNotice(QStringLiteral("Exported to %1").arg(DisplayPath(path)));
    return true;
}

bool CExchangeCommands::OnExportTargets(CVespiraDoc& doc)
{
    const QString chosen = promptSaveFileName(QStringLiteral("Export Targets"),
                                              WithFilters(kCsvFilter), SuggestedName(doc, ".csv"));
    const QByteArray path = PathFromUser(chosen);
    if (path.isEmpty())
        return false;
    m_docs.SetLastFolder(QFileInfo(chosen).absolutePath());
    if (!WriteTargetCsv(doc, path)) {
        m_ui.ShowMessage(
            QStringLiteral("The targets could not be exported as %1.").arg(DisplayPath(path)));
        return false;
    }
    m_ui.ShowNotice(QStringLiteral("Targets exported to %1").arg(DisplayPath(path)));
    return true;
}

bool CExchangeCommands::OnImportTargets(CVespiraDoc& doc)
{
    const QString chosen =
        promptOpenFileName(QStringLiteral("Import Targets"), WithFilters(kCsvFilter));
    const QByteArray path = PathFromUser(chosen);
    if (path.isEmpty())
        return false;
    m_docs.SetLastFolder(QFileInfo(chosen).absolutePath());
    const QString name = DisplayPath(FileNameOf(path));
    std::string text;
    std::string error;
    TargetImport import;
    {
        CWaitCursor wait(m_ui);
        if (!ReadTargetCsvFile(path, text, error)) {
            m_ui.ShowMessage(
                QStringLiteral("%1 cannot be read: %2.").arg(name, QString::fromStdString(error)));
            return false;
        }
        import = ParseTargetCsv(doc, text);
    }
    const QString problems = QString::fromStdString(DescribeProblems(import.problems));
    if (!import.isList) {
        m_ui.ShowMessage(QStringLiteral("%1 is not a target list:\n%2").arg(name, problems));
        return false;
    }
    if (import.targets.empty()) {
        m_ui.ShowMessage(
            import.problems.empty()
                ? QStringLiteral("%1 holds no targets.").arg(name)
                : QStringLiteral("No row of %1 can be imported:\n%2").arg(name, problems));
        return false;
    }
    if (!import.problems.empty()) {
        const QString question =
            QStringLiteral("%1 of the rows of %2 cannot be used:\n%3\nImport the other %4 "
                           "targets without them?")
                .arg(import.problems.size())
                .arg(name, problems)
                .arg(import.targets.size());
        const int answer =
            m_ui.AskQuestion(question, {QStringLiteral("&Import"), QStringLiteral("Cancel")}, 1, 1);
        if (answer != 0)
            return false;
    }
    ApplyTargetImport(doc, import);
    m_pPanel->RepaintViews(&doc);
    m_pPanel->Follow();
    m_ui.ShowNotice(
        QStringLiteral("%1 targets imported from %2").arg(import.targets.size()).arg(name));
    return true;
}
