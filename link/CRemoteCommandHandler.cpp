#include "link/CRemoteCommandHandler.h"

#include "base/DecimalPlaces.h"
#include "base/FilePath.h"
#include "base/FixedText.h"
#include "base/NumberText.h"
#include "document/CPatternFile.h"
#include "document/CVespiraDoc.h"
#include "document/DocumentServices.h"
#include "document/IHostUi.h"
#include "document/IPatternView.h"
#include "document/IScanJournal.h"
#include "document/ViewOptions.h"
#include "link/CMarkerBlinker.h"
#include "link/IRemoteHost.h"

#include <cmath>
#include <string>
#include <unistd.h>

namespace {

// kV and mA are whole numbers: add 0.5 and truncate toward zero. Values no int can hold
// saturate and NaN gives 0, so a garbled message cannot trigger undefined conversions.
int RoundHalfUp(float value)
{
    const double rounded = static_cast<double>(value) + 0.5;
    if (std::isnan(rounded))
        return 0;
    if (rounded >= 2147483647.0)
        return 2147483647;
    if (rounded <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(rounded);
}

// The path's bytes exactly as the instrument sent them, up to the first NUL.
QByteArray PathOf(const PipeMessage& request)
{
    const std::string_view text = TextOf(request.text);
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

CRemoteCommandHandler::CRemoteCommandHandler(DocumentServices& services, const ViewOptions& view,
                                             IRemoteHost& host)
    : m_services(services), m_view(view), m_scan(services.liveScan), m_host(host)
{
    // A marker that went off with its pattern (closed, or another made active) stops
    // flashing at once.
    m_scanChanged = QObject::connect(&m_scan, &CLiveScan::activeChanged, &m_scan, [this]() {
        if (!m_scan.Marker().on)
            m_pBlinker.reset();
    });
}

CRemoteCommandHandler::~CRemoteCommandHandler()
{
    QObject::disconnect(m_scanChanged);
}

std::int32_t CRemoteCommandHandler::HandleRequest(const PipeMessage& request)
{
    Handle(request);
    return ReplyStatus();
}

std::int32_t CRemoteCommandHandler::ReplyStatus() const
{
    return m_scan.IsOrphaned() ? -1 : 0;
}

void CRemoteCommandHandler::Handle(const PipeMessage& request)
{
    if (m_scan.Document() != nullptr)
        m_bRefusedGridScan = false;
    switch (request.code) {
    case kNewImage:
        NewImage(request);
        break;
    case kLoadImage:
        LoadImage(request);
        break;
    case kSaveImage:
        SaveImage(request);
        break;
    case kNewPoint:
        NewPoint(request);
        break;
    case kCheckPipe:
        SetStatus("Remote CHECKPIPE command:");
        break;
    case kCollecting:
        Collecting(request);
        break;
    case kEndCollect:
        EndCollect();
        break;
    case kMeasurementParameters:
        MeasurementParameters(request);
        break;
    case kBackgroundParameters:
        BackgroundParameters(request);
        break;
    default:
        ShowMessage("Vespira: Unknown named pipe command.");
        break;
    }
}

void CRemoteCommandHandler::ShowMessage(const char* text)
{
    m_services.ui.ShowMessage(QString::fromLatin1(text));
}

void CRemoteCommandHandler::ShowNoDocumentMessage(const char* text)
{
    if (m_bRefusedGridScan) {
        if (m_bRefusedScanMessageShown)
            return;
        m_bRefusedScanMessageShown = true;
    }
    ShowMessage(text);
}

void CRemoteCommandHandler::SetStatus(const char* text)
{
    m_services.ui.ShowRemoteCommand(QString::fromLatin1(text));
}

void CRemoteCommandHandler::StopBlinker()
{
    if (m_pBlinker) {
        m_pBlinker.reset();
        m_scan.ClearMarker();
    }
}

std::string CRemoteCommandHandler::PositionText(float x, float y) const
{
    const ScanGrid& grid = m_scan.PendingGrid();
    return "X: " + FormatFixed(x, DecimalPlaces(grid.fXInc)) +
           "  Y: " + FormatFixed(y, DecimalPlaces(grid.fYInc));
}

void CRemoteCommandHandler::NewImage(const PipeMessage& request)
{
    ScanGrid grid{0,
                  0,
                  request.param1,
                  request.param2,
                  request.param3,
                  request.param4,
                  request.param5,
                  request.param6};
    // A refused grid is not kept: the next Ctrl+N still has the last good one.
    const bool valid = ComputeGridCounts(grid);
    const bool fits = valid && GridFitsInMemory(grid, m_services.availableMemory());
    if (fits)
        m_scan.SetPendingGrid(grid);
    m_scan.ClearMarker();

    CVespiraDoc* doc = fits ? m_host.NewDocument() : nullptr;
    m_bRefusedGridScan = doc == nullptr;
    m_bRefusedScanMessageShown = false;
    if (doc == nullptr) {
        // The scan that follows must not land in the pattern that was active before.
        m_pBlinker.reset();
        m_scan.Forget();
        if (!valid) {
            ShowMessage("Vespira: Remote NEWIMAGE command, but the grid is not valid.");
        } else if (!fits) {
            m_services.ui.ShowMessage(QStringLiteral("Vespira: Remote NEWIMAGE command, but there "
                                                     "is not enough memory for a grid of %1 x %2 "
                                                     "points.")
                                          .arg(grid.nXPoints)
                                          .arg(grid.nYPoints));
        } else {
            ShowMessage("Vespira: Remote NEWIMAGE command, but no new pattern could be made.");
        }
    }
    SetStatus("Remote NEWIMAGE command:");
    m_scan.SetPointsRemaining(doc != nullptr ? doc->PointCount() : 0);
    if (doc != nullptr && m_services.scanJournal != nullptr)
        m_services.scanJournal->ScanStarted(*doc);
}

void CRemoteCommandHandler::LoadImage(const PipeMessage& request)
{
    if (CVespiraDoc* doc = m_scan.Document()) {
        const QByteArray path = PathOf(request);
        const int probe = OpenPatternFile(path);
        if (probe < 0) {
            // The reader gives no message for a file it cannot open.
            m_services.ui.ShowMessage(
                QStringLiteral("Vespira: Remote LOADIMAGE command, but %1 cannot be opened.")
                    .arg(DisplayPath(path)));
        } else {
            ::close(probe);
            doc->OnOpenDocument(path);
            // Unless the user closed it meanwhile, the journal takes what is there now.
            if (m_scan.IsActive(doc) && m_services.scanJournal != nullptr)
                m_services.scanJournal->PatternReplaced(*doc);
            // Grid and intensities may all have changed; the reader's message box may
            // also have let the user close the document meanwhile.
            if (IPatternView* view = m_scan.View())
                view->RequestRepaint();
        }
    } else {
        ShowMessage("Vespira: Remote LOADIMAGE command, but no active document.");
    }
    SetStatus("Remote LOADIMAGE command:");
}

void CRemoteCommandHandler::SaveImage(const PipeMessage& request)
{
    if (CVespiraDoc* doc = m_scan.Document()) {
        const QByteArray path = PathOf(request);
        if (doc->OnSaveDocument(path)) {
            doc->SetTitle(DisplayPath(path));
        } else {
            // A silent failure would leave the scan unsaved while everyone believes it is.
            m_services.ui.ShowMessage(
                QStringLiteral("Vespira: Remote SAVEIMAGE command, but %1 cannot be written: %2.")
                    .arg(DisplayPath(path), doc->SaveError()));
        }
    } else {
        ShowMessage("Vespira: Remote SAVEIMAGE command, but no active document.");
    }
    SetStatus("Remote SAVEIMAGE command:");
}

void CRemoteCommandHandler::NewPoint(const PipeMessage& request)
{
    StopBlinker();
    if (CVespiraDoc* doc = m_scan.Document()) {
        const std::string title = "Collected:  " + PositionText(request.param1, request.param2) +
                                  "  Int: " + FormatInt(request.intParam);
        m_scan.PointCollected();
        // Outside the grid nothing is stored; the point still counts as collected.
        if (doc->SetPointIntensity(request.param1, request.param2, request.intParam) &&
            m_services.scanJournal != nullptr)
            m_services.scanJournal->PointStored(*doc, doc->ColumnOf(request.param1),
                                                doc->RowOf(request.param2), request.intParam);
        doc->SetPassingTitle(QString::fromStdString(title));
    } else {
        ShowNoDocumentMessage("Vespira: Remote NEWPOINT command, but no active document.");
    }
    SetStatus("Remote NEWPOINT command:");
}

void CRemoteCommandHandler::Collecting(const PipeMessage& request)
{
    CVespiraDoc* doc = m_scan.Document();
    IPatternView* view = m_scan.View();
    if (doc == nullptr || view == nullptr) {
        ShowNoDocumentMessage("Vespira: Remote COLLECTING command, but no active document/view.");
        m_bRemoteErrorShown = true;
        SetStatus("Remote COLLECTING command:");
        return;
    }
    StopBlinker();
    doc->SetPassingTitle(
        QString::fromStdString("Collecting:  " + PositionText(request.param1, request.param2)));

    const int col = doc->ColumnOf(request.param1);
    const int row = doc->RowOf(request.param2);
    m_scan.SetMarker(col, row);
    if (doc->IsInGrid(col, row))
        view->DrawCollectMarker(col, row);

    m_pBlinker = std::make_unique<CMarkerBlinker>(m_scan);
    m_bRemoteErrorShown = false;
    SetStatus("Remote COLLECTING command:");
}

void CRemoteCommandHandler::EndCollect()
{
    StopBlinker();
    CVespiraDoc* doc = m_scan.Document();
    IPatternView* view = m_scan.View();
    if (doc != nullptr && m_services.scanJournal != nullptr)
        m_services.scanJournal->ScanEnded(*doc);
    if (doc != nullptr && view != nullptr) {
        // The stored file name; a pattern never saved has none and shows its own name
        // again (ORMA1, ...) rather than an empty caption.
        if (doc->m_szFileName[0] != '\0')
            doc->SetTitle(DisplayPath(QByteArray(doc->m_szFileName)));
        else
            doc->EndPassingTitle();
        const CollectMarker marker = m_scan.Marker();
        m_scan.ClearMarker();
        const bool inGrid = doc->IsInGrid(marker.col, marker.row);
        // The marker's cell goes back to its intensity colour in both cases; with the
        // overlay shown the targets are drawn over it again afterwards.
        if (inGrid)
            view->DrawCell(marker.col, marker.row);
        if (m_view.overlay)
            view->DrawAllTargets();
    } else if (!m_bRemoteErrorShown) {
        ShowNoDocumentMessage("Vespira: Remote ENDCOLLECT command, but no active document/view.");
        m_bRemoteErrorShown = true;
    }
    SetStatus("Remote ENDCOLLECT command:");
}

void CRemoteCommandHandler::MeasurementParameters(const PipeMessage& request)
{
    CVespiraDoc* doc = m_scan.Document();
    if (doc == nullptr)
        return;
    doc->m_fMeasTime = request.param1;
    doc->m_nKV = RoundHalfUp(request.param2);
    doc->m_nMA = RoundHalfUp(request.param3);
    doc->m_fDetDistance = request.param4;
    doc->m_fBeamX = request.param5;
    doc->m_fBeamY = request.param6;
    doc->m_nImageSize = request.intParam;
    if (m_services.scanJournal != nullptr)
        m_services.scanJournal->HeaderChanged(*doc);
}

void CRemoteCommandHandler::BackgroundParameters(const PipeMessage& request)
{
    CVespiraDoc* doc = m_scan.Document();
    if (doc == nullptr)
        return;
    CopyText(doc->m_szBackgroundFile, TextOf(request.text));
    doc->m_fBackgroundX = request.param1;
    doc->m_fBackgroundY = request.param2;
    doc->m_nBackgroundKV = RoundHalfUp(request.param3);
    doc->m_nBackgroundMA = RoundHalfUp(request.param4);
    doc->m_fBackgroundTime = request.param5;
    if (m_services.scanJournal != nullptr)
        m_services.scanJournal->HeaderChanged(*doc);
}
