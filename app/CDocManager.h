#pragma once

#include "app/IChildFrameOwner.h"

#include <QByteArrayList>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "view/ViewContext.h"

#include <functional>
#include <memory>
#include <vector>

class CChildFrame;
class CVespiraDoc;
class IChildWindowArea;
class IHostUi;
class QWidget;

// The document framework of the program: New, Open, Save, Save As, Close, New Window,
// the titles ORMA1, ORMA2, ..., the "Save changes to %1?" question before a document
// closes (through CVespiraDoc::SaveModified) and the recent-file list of 3 entries.
// Documents are shown in child frames (one CVespiraView each), in the window area given
// (the main window's MDI area), else each in a window of its own.
class CDocManager : public QObject, public IChildFrameOwner
{
    Q_OBJECT

public:
    // The document template's strings.
    static constexpr char kDocName[] = "ORMA";
    static constexpr char kFilterName[] = "ORMA Radiography Files (*.rad)";
    static constexpr char kExtension[] = ".rad";
    static constexpr int kRecentFileCount = 3;

    // services: what every document gets; views: what every pattern view gets.
    CDocManager(DocumentServices& services, const ViewContext& views, IHostUi& ui,
                QObject* parent = nullptr);
    ~CDocManager() override;

    // Where the frames are shown from now on; nullptr: each in a window of its own.
    void SetWindowArea(IChildWindowArea* area) { m_pArea = area; }

    // New (Ctrl+N, and the NEWIMAGE remote command): a document from the pending grid
    // (OnNewDocument), which makes itself the active document; refused silently when
    // that fails. Its child frame and view are made and shown, and its view becomes the
    // active view at once. Returns the document or nullptr.
    CVespiraDoc* OnFileNew();
    // Open with the file dialog.
    CVespiraDoc* OnFileOpen();
    // Opens a pattern file in a new document (a failed read discards it); a file that is
    // already open only brings its window forward. Does not touch the active document.
    CVespiraDoc* OpenDocumentFile(const QByteArray& path);
    // Shows a document made elsewhere (a restored scan) in a window of its own, titled
    // title, or the next ORMAn when that is empty or another document has it. It does not
    // become the active document.
    CVespiraDoc* AddDocument(std::unique_ptr<CVespiraDoc> doc, const QString& title);
    // Save: Save As when the document has no file yet (or it is read-only).
    bool DoFileSave(CVespiraDoc* doc);
    // Save As: asks for the file name.
    bool OnFileSaveAs(CVespiraDoc* doc);
    // Writes doc to path (empty: ask), then takes the path and title from it.
    bool DoSave(CVespiraDoc* doc, const QByteArray& path);
    // File Close: SaveModified, then close the document with all its windows.
    bool OnFileClose(CVespiraDoc* doc);
    // Window New Window: another child frame and view of doc.
    CChildFrame* OnWindowNew(CVespiraDoc* doc);
    // Asked by a child frame that is about to close; true lets it close. Closing the last
    // window of a document asks SaveModified and closes the document.
    bool OnCloseFrame(CChildFrame* frame) override;
    // OnCloseDocument, then its windows go and the document is deleted.
    void CloseDocument(CVespiraDoc* doc);
    // Exit: SaveModified of every document in turn, also of one made while a question was
    // up; false as soon as one says no.
    bool SaveAllModified();
    void CloseAllDocuments();
    // A child frame is being destroyed (with the main window, or after its close).
    void FrameDestroyed(CChildFrame* frame) override;

    std::vector<CVespiraDoc*> Documents() const;
    QList<CChildFrame*> FramesOf(const CVespiraDoc* doc) const;
    QList<CChildFrame*> Frames() const { return m_frames; }

    // The recent-file list, newest first; paths as bytes (see FilePath.h).
    QByteArrayList RecentFiles() const { return m_recentFiles; }
    void SetRecentFiles(const QByteArrayList& files);
    void AddToRecentFiles(const QByteArray& path);
    // Opens entry index (0-based); an entry that cannot be opened leaves the list.
    CVespiraDoc* OpenRecentFile(int index);
    // The menu text of entry index: "&1 name", the path shortened.
    QString RecentFileMenuText(int index) const;

    static QString FileDialogFilter();

    // The folder the Open and Save As dialogs start in: the one last chosen in them.
    QString LastFolder() const { return m_strLastFolder; }
    void SetLastFolder(const QString& folder) { m_strLastFolder = folder; }

    // The file dialogs; tests replace them. Each gets a suggested name and returns the
    // chosen path as Qt shows it (PathFromUser finds its bytes), or an empty text when
    // the user cancelled.
    std::function<QString(const QString& suggested)> promptOpenFileName;
    std::function<QString(const QString& suggested)> promptSaveFileName;

signals:
    void documentsChanged();
    // A document closed: nothing shown of it may stay.
    void documentClosed();
    void recentFilesChanged();
    // A document's title changed (the frame captions follow).
    void titleChanged(CVespiraDoc* doc);

private:
    CVespiraDoc* Adopt(std::unique_ptr<CVespiraDoc> doc);
    CChildFrame* CreateFrame(CVespiraDoc* doc);
    void DetachFrame(CChildFrame* frame);
    void DeleteLater(QObject* object);
    void UpdateFrameTitles(const CVespiraDoc* doc);
    QWidget* DialogParent() const;

    DocumentServices& m_services;
    const ViewContext m_views;
    IHostUi& m_ui;
    IChildWindowArea* m_pArea = nullptr;
    std::vector<std::unique_ptr<CVespiraDoc>> m_docs;
    QList<CChildFrame*> m_frames;
    // Windows and documents handed to deleteLater, in that order; deleted with the
    // manager when the event loop did not get to them.
    QList<QPointer<QObject>> m_pendingDeletes;
    QByteArrayList m_recentFiles;
    QString m_strLastFolder;
    int m_nUntitledCount = 0;
    bool m_bClosingDocument = false;
};
