#include "app/CDocManager.h"

#include "app/CChildFrame.h"
#include "app/IChildWindowArea.h"
#include "app/NexusMapOpening.h"
#include "base/FilePath.h"
#include "document/CVespiraDoc.h"
#include "exchange/NexusFile.h"
#include "view/CVespiraView.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <unistd.h>

namespace {

bool SamePath(const QByteArray& a, const QByteArray& b)
{
    return !a.isEmpty() && !b.isEmpty() && NormalisedPath(a) == NormalisedPath(b);
}

} // namespace

CDocManager::CDocManager(DocumentServices& services, const ViewContext& views, IHostUi& ui,
                         QObject* parent)
    : QObject(parent), m_services(services), m_views(views), m_ui(ui)
{
    promptOpenFileName = [this](const QString& suggested) {
        QFileDialog dialog(DialogParent(), QStringLiteral("Open"),
                           suggested.isEmpty() ? m_strLastFolder : suggested,
                           FileDialogFilter() + QStringLiteral(";;NeXus maps (*.nxs *.h5 *.hdf5)"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (m_ui.ExecDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    };
    promptSaveFileName = [this](const QString& suggested) {
        QFileDialog dialog(DialogParent(), QStringLiteral("Save As"), QString(),
                           FileDialogFilter());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("rad"));
        if (!m_strLastFolder.isEmpty())
            dialog.setDirectory(m_strLastFolder);
        dialog.selectFile(suggested);
        if (m_ui.ExecDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    };
}

CDocManager::~CDocManager()
{
    // Windows first: their views refer to the documents.
    for (CChildFrame* frame : m_frames)
        m_services.liveScan.ForgetView(frame->GetView());
    const QList<CChildFrame*> frames = m_frames;
    m_frames.clear();
    for (CChildFrame* frame : frames)
        delete frame;
    for (const QPointer<QObject>& pending : std::as_const(m_pendingDeletes))
        delete pending.data();
    m_docs.clear();
}

QWidget* CDocManager::DialogParent() const
{
    return m_pArea ? m_pArea->DialogParent() : nullptr;
}

QString CDocManager::FileDialogFilter()
{
    return QString::fromLatin1(kFilterName) + QStringLiteral(";;All Files (*)");
}

std::vector<CVespiraDoc*> CDocManager::Documents() const
{
    std::vector<CVespiraDoc*> docs;
    docs.reserve(m_docs.size());
    for (const auto& doc : m_docs)
        docs.push_back(doc.get());
    return docs;
}

QList<CChildFrame*> CDocManager::FramesOf(const CVespiraDoc* doc) const
{
    QList<CChildFrame*> frames;
    for (CChildFrame* frame : m_frames)
        if (frame->GetDocument() == doc)
            frames << frame;
    return frames;
}

CVespiraDoc* CDocManager::Adopt(std::unique_ptr<CVespiraDoc> owned)
{
    CVespiraDoc* doc = owned.get();
    doc->saveHandler = [this, doc]() { return DoFileSave(doc); };
    connect(doc, &CVespiraDoc::titleChanged, this, [this, doc]() {
        UpdateFrameTitles(doc);
        emit titleChanged(doc);
    });
    m_docs.push_back(std::move(owned));
    return doc;
}

CChildFrame* CDocManager::CreateFrame(CVespiraDoc* doc)
{
    auto* frame = new CChildFrame(*doc, m_views, *this);
    m_frames << frame;
    if (m_pArea)
        m_pArea->AddFrame(*frame);
    UpdateFrameTitles(doc);
    frame->show();
    if (m_pArea)
        m_pArea->ActivateFrame(*frame);
    frame->widget()->setFocus();
    emit documentsChanged();
    return frame;
}

CVespiraDoc* CDocManager::OnFileNew()
{
    auto owned = std::make_unique<CVespiraDoc>(m_services);
    owned->SetTitle(QString::fromLatin1(kDocName) + QString::number(m_nUntitledCount + 1));
    if (!owned->OnNewDocument())
        return nullptr; // refused silently: no document, no window
    ++m_nUntitledCount;
    CVespiraDoc* doc = Adopt(std::move(owned));
    CChildFrame* frame = CreateFrame(doc);
    // The remote COLLECTING that follows NEWIMAGE needs the view now, not at its first
    // repaint.
    m_services.liveScan.SetView(frame->GetView());
    return doc;
}

CVespiraDoc* CDocManager::OnFileOpen()
{
    const QString chosen = promptOpenFileName(QString());
    const QByteArray path = PathFromUser(chosen);
    if (path.isEmpty())
        return nullptr;
    m_strLastFolder = QFileInfo(chosen).absolutePath();
    return OpenDocumentFile(path);
}

CVespiraDoc* CDocManager::OpenDocumentFile(const QByteArray& path)
{
    if (path.isEmpty())
        return nullptr;
    const QByteArray full = NormalisedPath(path);
    for (const auto& doc : m_docs) {
        if (SamePath(doc->GetPathName(), full)) {
            const QList<CChildFrame*> frames = FramesOf(doc.get());
            if (!frames.isEmpty() && m_pArea) {
                frames.constFirst()->show();
                m_pArea->ActivateFrame(*frames.constFirst());
            }
            return doc.get();
        }
    }

    if (HasHdf5Signature(full))
        return OpenNexusMap(*this, m_services, m_ui, full);
    auto owned = std::make_unique<CVespiraDoc>(m_services);
    if (!owned->OnOpenDocument(full))
        return nullptr; // the new document is discarded
    owned->SetModifiedFlag(false);
    owned->SetPathName(full);
    owned->SetTitle(DisplayPath(FileNameOf(full)));
    CVespiraDoc* doc = Adopt(std::move(owned));
    AddToRecentFiles(full);
    CreateFrame(doc);
    return doc;
}

CVespiraDoc* CDocManager::AddDocument(std::unique_ptr<CVespiraDoc> owned, const QString& title)
{
    const QString docName = QString::fromLatin1(kDocName);
    const bool taken = std::any_of(m_docs.begin(), m_docs.end(),
                                   [&title](const auto& d) { return d->GetName() == title; });
    if (title.isEmpty() || taken) {
        owned->SetTitle(docName + QString::number(++m_nUntitledCount));
    } else {
        owned->SetTitle(title);
        // The next New must not repeat a restored ORMAn.
        bool isNumber = false;
        const int n = title.startsWith(docName) ? title.mid(docName.size()).toInt(&isNumber) : 0;
        if (isNumber && n > m_nUntitledCount)
            m_nUntitledCount = n;
    }
    CVespiraDoc* doc = Adopt(std::move(owned));
    CreateFrame(doc);
    return doc;
}

bool CDocManager::DoFileSave(CVespiraDoc* doc)
{
    if (doc == nullptr)
        return false;
    const QByteArray path = doc->GetPathName();
    if (path.isEmpty() ||
        (::access(path.constData(), F_OK) == 0 && ::access(path.constData(), W_OK) != 0))
        return DoSave(doc, QByteArray());
    return DoSave(doc, path);
}

bool CDocManager::OnFileSaveAs(CVespiraDoc* doc)
{
    return doc != nullptr && DoSave(doc, QByteArray());
}

bool CDocManager::DoSave(CVespiraDoc* doc, const QByteArray& path)
{
    QByteArray target = path;
    if (target.isEmpty()) {
        QString suggested = DisplayPath(doc->GetPathName());
        if (suggested.isEmpty()) {
            suggested = doc->GetName();
            // Cut at the first character that cannot be in a file name.
            const qsizetype bad =
                suggested.indexOf(QRegularExpression(QStringLiteral("[#%;/\\\\:*?\"<>|]")));
            if (bad >= 0)
                suggested.truncate(bad);
            suggested = suggested.trimmed();
            if (!suggested.isEmpty() && QFileInfo(suggested).suffix().isEmpty())
                suggested += QLatin1String(kExtension);
        }
        const QString chosen = promptSaveFileName(suggested);
        target = PathFromUser(chosen);
        if (target.isEmpty())
            return false;
        m_strLastFolder = QFileInfo(chosen).absolutePath();
    }
    if (!doc->OnSaveDocument(target)) {
        // The document keeps its changes; the user must know they are not on disk.
        m_ui.ShowMessage(QStringLiteral("The pattern could not be saved as %1: %2.")
                             .arg(DisplayPath(target), doc->SaveError()));
        return false;
    }
    const QByteArray full = NormalisedPath(target);
    doc->SetPathName(full);
    doc->SetTitle(DisplayPath(FileNameOf(full)));
    AddToRecentFiles(full);
    return true;
}

bool CDocManager::OnFileClose(CVespiraDoc* doc)
{
    if (doc == nullptr)
        return false;
    if (!doc->SaveModified())
        return false;
    CloseDocument(doc);
    return true;
}

CChildFrame* CDocManager::OnWindowNew(CVespiraDoc* doc)
{
    if (doc == nullptr)
        return nullptr;
    return CreateFrame(doc);
}

bool CDocManager::OnCloseFrame(CChildFrame* frame)
{
    if (m_bClosingDocument || !m_frames.contains(frame))
        return true;
    CVespiraDoc* doc = frame->GetDocument();
    if (FramesOf(doc).size() <= 1) {
        // The last window of the document: the document closes with it.
        if (!doc->SaveModified())
            return false;
        CloseDocument(doc);
        return true;
    }
    DetachFrame(frame);
    DeleteLater(frame);
    emit documentsChanged();
    return true;
}

void CDocManager::FrameDestroyed(CChildFrame* frame)
{
    if (!m_frames.contains(frame))
        return;
    m_services.liveScan.ForgetView(frame->GetView());
    m_frames.removeAll(frame);
}

void CDocManager::DetachFrame(CChildFrame* frame)
{
    m_frames.removeAll(frame);
    CVespiraDoc* doc = frame->GetDocument();
    // Another window of the pattern takes over showing its scan.
    const QList<CChildFrame*> rest = FramesOf(doc);
    m_services.liveScan.ForgetView(frame->GetView(),
                                   rest.isEmpty() ? nullptr : rest.constFirst()->GetView());
    // Qt would delete a closed window at once; the frame goes at the next turn of
    // the event loop, so it may be the one whose close is being handled.
    frame->setAttribute(Qt::WA_DeleteOnClose, false);
    frame->hide();
    // Out of the area at once, so its list of windows is right before the deletion.
    if (m_pArea)
        m_pArea->RemoveFrame(*frame);
    UpdateFrameTitles(doc);
}

void CDocManager::DeleteLater(QObject* object)
{
    m_pendingDeletes.removeAll(nullptr);
    m_pendingDeletes << object;
    object->deleteLater();
}

void CDocManager::CloseDocument(CVespiraDoc* doc)
{
    const auto it = std::find_if(m_docs.begin(), m_docs.end(),
                                 [doc](const auto& owned) { return owned.get() == doc; });
    if (it == m_docs.end())
        return;
    doc->OnCloseDocument();

    m_bClosingDocument = true;
    for (CChildFrame* frame : FramesOf(doc)) {
        DetachFrame(frame);
        DeleteLater(frame);
    }
    m_bClosingDocument = false;

    // The document outlives its windows: it is deleted after them.
    std::unique_ptr<CVespiraDoc> owned = std::move(*it);
    m_docs.erase(it);
    owned->saveHandler = nullptr;
    disconnect(owned.get(), nullptr, this, nullptr);
    DeleteLater(owned.release());
    emit documentClosed();
    emit documentsChanged();
}

bool CDocManager::SaveAllModified()
{
    // Each question runs a modal loop in which the instrument may start a new pattern:
    // the exit goes ahead only when every document there now has been asked.
    QList<QPointer<CVespiraDoc>> asked;
    for (;;) {
        const std::vector<CVespiraDoc*> docs = Documents();
        const auto next = std::find_if(docs.begin(), docs.end(),
                                       [&asked](CVespiraDoc* doc) { return !asked.contains(doc); });
        if (next == docs.end())
            return true;
        asked << *next;
        if (!(*next)->SaveModified())
            return false;
    }
}

void CDocManager::CloseAllDocuments()
{
    for (CVespiraDoc* doc : Documents())
        CloseDocument(doc);
}

void CDocManager::UpdateFrameTitles(const CVespiraDoc* doc)
{
    const QList<CChildFrame*> frames = FramesOf(doc);
    for (qsizetype i = 0; i < frames.size(); ++i) {
        QString title = doc->GetTitle();
        if (frames.size() > 1)
            title += QStringLiteral(":%1").arg(i + 1);
        frames[i]->setWindowTitle(title);
    }
}

void CDocManager::SetRecentFiles(const QByteArrayList& files)
{
    m_recentFiles.clear();
    for (const QByteArray& file : files)
        if (!file.isEmpty() && !m_recentFiles.contains(file) &&
            m_recentFiles.size() < kRecentFileCount)
            m_recentFiles << file;
    emit recentFilesChanged();
}

void CDocManager::AddToRecentFiles(const QByteArray& path)
{
    const QByteArray full = NormalisedPath(path);
    m_recentFiles.removeIf([&full](const QByteArray& f) { return SamePath(f, full) || f == full; });
    m_recentFiles.prepend(full);
    while (m_recentFiles.size() > kRecentFileCount)
        m_recentFiles.removeLast();
    emit recentFilesChanged();
}

CVespiraDoc* CDocManager::OpenRecentFile(int index)
{
    if (index < 0 || index >= m_recentFiles.size())
        return nullptr;
    const QByteArray path = m_recentFiles[index];
    CVespiraDoc* doc = OpenDocumentFile(path);
    if (doc == nullptr) {
        m_recentFiles.removeAll(path);
        emit recentFilesChanged();
    }
    return doc;
}

QString CDocManager::RecentFileMenuText(int index) const
{
    if (index < 0 || index >= m_recentFiles.size())
        return QString();
    const QString path = DisplayPath(m_recentFiles[index]);
    const QFileInfo info(path);
    QString shown;
    if (QDir::cleanPath(info.absolutePath()) == QDir::cleanPath(QDir::currentPath())) {
        shown = info.fileName();
    } else {
        shown = QDir::toNativeSeparators(path);
        // Long paths keep their first folder and the file name.
        constexpr int kMaxShown = 30;
        if (shown.size() > kMaxShown) {
            const QString first = shown.section(QLatin1Char('/'), 0, 1);
            const QString candidate = first + QStringLiteral("/.../") + info.fileName();
            if (candidate.size() < shown.size())
                shown = candidate;
        }
    }
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}
