#pragma once

#include <QByteArray>

class CDocManager;
struct DocumentServices;
class CVespiraDoc;
class IHostUi;

// Opens the NeXus map of an HDF5 file as a new pattern in a window of its own, titled by
// the file's name without its extension; it has no pattern file yet, so Save asks for one
// rather than writing over the HDF5 file. A map that cannot be taken over is refused with
// a message that says why. Returns the document or nullptr.
CVespiraDoc* OpenNexusMap(CDocManager& docs, DocumentServices& services, IHostUi& ui,
                          const QByteArray& path);
