#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class CDocManager;
class CMainFrame;
class CTargetPanel;
class CVespiraDoc;
class CVespiraView;
class IHostUi;

// The commands that take data in and out of the program: File > Export... (NeXus/HDF5 or
// TIFF), Export Targets... and Import Targets... (CSV), and View > Target List with its
// dock. Each acts on the pattern of the active window.
class CExchangeCommands : public QObject
{
    Q_OBJECT

public:
    CExchangeCommands(CMainFrame& frame, CDocManager& docs, IHostUi& ui);

    CTargetPanel& Panel() { return *m_pPanel; }

    // Each false when nothing was written or changed (cancelled, refused or failed).
    bool OnFileExport(CVespiraDoc& doc);
    bool OnExportTargets(CVespiraDoc& doc);
    bool OnImportTargets(CVespiraDoc& doc);

    // The file dialogs; tests replace them. Each gets a caption, a filter and a suggested
    // name and returns the chosen path as Qt shows it, or an empty text when cancelled.
    std::function<QString(const QString& caption, const QString& filter, const QString& suggested)>
        promptSaveFileName;
    std::function<QString(const QString& caption, const QString& filter)> promptOpenFileName;

private:
    QString SuggestedName(const CVespiraDoc& doc, const char* suffix) const;
    QList<CVespiraView*> ViewsOf(const CVespiraDoc* doc) const;

    CMainFrame& m_frame;
    CDocManager& m_docs;
    IHostUi& m_ui;
    CTargetPanel* m_pPanel;
};
