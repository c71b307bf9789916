#include "app/NexusMapOpening.h"

#include "app/CDocManager.h"
#include "base/FilePath.h"
#include "document/CVespiraDoc.h"
#include "exchange/NexusFile.h"

#include <QFileInfo>

#include <memory>

CVespiraDoc* OpenNexusMap(CDocManager& docs, DocumentServices& services, IHostUi& ui,
                          const QByteArray& path)
{
    auto doc = std::make_unique<CVespiraDoc>(services);
    std::string error;
    {
        CWaitCursor wait(ui);
        if (!ReadNexusFile(*doc, path, error)) {
            ui.ShowMessage(QStringLiteral("%1 cannot be opened: %2.")
                               .arg(DisplayPath(FileNameOf(path)), QString::fromStdString(error)));
            return nullptr;
        }
    }
    doc->SetModifiedFlag(false);
    const QString title = QFileInfo(DisplayPath(FileNameOf(path))).completeBaseName();
    CVespiraDoc* opened = docs.AddDocument(std::move(doc), title);
    docs.AddToRecentFiles(path);
    return opened;
}
