#include "document/CVespiraDoc.h"

#include "base/FixedText.h"
#include "base/FormatGmtNow.h"
#include "document/CPatternFile.h"
#include "document/CTargetHistory.h"
#include "document/IScanJournal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

CVespiraDoc::CVespiraDoc(DocumentServices& services, QObject* parent)
    : CDocumentBase(services.ui, parent), m_pHistory(std::make_unique<CTargetHistory>()),
      m_services(services)
{}

CVespiraDoc::~CVespiraDoc()
{
    // A document destroyed without a proper close must not stay referenced.
    m_services.liveScan.ForgetDocument(this);
    if (m_services.scanJournal != nullptr)
        m_services.scanJournal->DocumentDestroyed(*this);
}

int CVespiraDoc::ColumnOf(float x) const
{
    return PointIndexOf(static_cast<double>(x) - m_fXBeg, m_fXInc);
}

int CVespiraDoc::RowOf(float y) const
{
    return PointIndexOf(static_cast<double>(m_fYEnd) - y, m_fYInc);
}

double CVespiraDoc::XOf(int col) const
{
    return static_cast<double>(m_fXBeg) + col * static_cast<double>(m_fXInc);
}

double CVespiraDoc::YOf(int row) const
{
    return static_cast<double>(m_fYEnd) - row * static_cast<double>(m_fYInc);
}

void CVespiraDoc::ResetViewState()
{
    m_nCellSize = -1;
    m_nZoom = 1;
    m_nZoomCol = -1;
    m_nZoomRow = -1;
    m_nFirstCol = 0;
    m_nLastCol = m_nXPoints - 1;
    m_nFirstRow = 0;
    m_nLastRow = m_nYPoints - 1;
}

void CVespiraDoc::CopyDisplaySettings(const DisplaySettings& display)
{
    CopyText(m_szLutName, TextOf(display.szLutName));
    m_LutColors = display.lutColors;
    m_DisplayColors = display.displayColors;
    m_nBrightness = display.nBrightness;
    m_nContrast = display.nContrast;
    m_nHue = display.nHue;
    m_nSaturation = display.nSaturation;
    m_range.settings = display.range;
}

MeasurementHeader CVespiraDoc::Header() const
{
    MeasurementHeader h;
    h.measTime = m_fMeasTime;
    h.kV = m_nKV;
    h.mA = m_nMA;
    h.detDistance = m_fDetDistance;
    h.beamX = m_fBeamX;
    h.beamY = m_fBeamY;
    h.imageSize = m_nImageSize;
    h.backgroundFile = std::string(TextOf(m_szBackgroundFile));
    h.backgroundX = m_fBackgroundX;
    h.backgroundY = m_fBackgroundY;
    h.backgroundKV = m_nBackgroundKV;
    h.backgroundMA = m_nBackgroundMA;
    h.backgroundTime = m_fBackgroundTime;
    return h;
}

void CVespiraDoc::SetHeader(const MeasurementHeader& h)
{
    m_fMeasTime = h.measTime;
    m_nKV = h.kV;
    m_nMA = h.mA;
    m_fDetDistance = h.detDistance;
    m_fBeamX = h.beamX;
    m_fBeamY = h.beamY;
    m_nImageSize = h.imageSize;
    CopyText(m_szBackgroundFile, h.backgroundFile);
    m_fBackgroundX = h.backgroundX;
    m_fBackgroundY = h.backgroundY;
    m_nBackgroundKV = h.backgroundKV;
    m_nBackgroundMA = h.backgroundMA;
    m_fBackgroundTime = h.backgroundTime;
}

DisplaySettings CVespiraDoc::GetDisplaySettings() const
{
    DisplaySettings display;
    CopyText(display.szLutName, TextOf(m_szLutName));
    display.lutColors = m_LutColors;
    display.displayColors = m_DisplayColors;
    display.nBrightness = m_nBrightness;
    display.nContrast = m_nContrast;
    display.nHue = m_nHue;
    display.nSaturation = m_nSaturation;
    display.range = m_range.settings;
    return display;
}

bool CVespiraDoc::SetUpGrid(const ScanGrid& grid)
{
    const bool finite = std::isfinite(grid.fXBeg) && std::isfinite(grid.fXEnd) &&
                        std::isfinite(grid.fXInc) && std::isfinite(grid.fYBeg) &&
                        std::isfinite(grid.fYEnd) && std::isfinite(grid.fYInc);
    if (!finite || grid.fXInc == 0.0f || grid.fYInc == 0.0f || grid.nXPoints < 1 ||
        grid.nYPoints < 1 ||
        static_cast<std::int64_t>(grid.nXPoints) * grid.nYPoints > kMaxGridPoints ||
        !GridFitsInMemory(grid, m_services.availableMemory()))
        return false;

    const std::size_t count = static_cast<std::size_t>(grid.nXPoints) * grid.nYPoints;
    GridArray<std::int32_t> intensity;
    GridArray<float> scanTime;
    try {
        intensity.assign(count, 0);
        scanTime.assign(count, 0.0f);
    } catch (const std::bad_alloc&) {
        return false;
    }

    m_nXPoints = grid.nXPoints;
    m_nYPoints = grid.nYPoints;
    m_fXBeg = grid.fXBeg;
    m_fXEnd = grid.fXEnd;
    m_fXInc = grid.fXInc;
    m_fYBeg = grid.fYBeg;
    m_fYEnd = grid.fYEnd;
    m_fYInc = grid.fYInc;
    m_nMinIntensity = m_services.initialMinIntensity;
    m_nMaxIntensity = m_services.initialMaxIntensity;
    ResetViewState();
    m_pIntensity = std::move(intensity);
    m_pScanTime = std::move(scanTime);
    ResetHistory();
    m_range.ResetMeasured(count, true);
    // A new grid holds no selection; counting a million zeroes would tell the same.
    ++m_nSelectionGeneration;
    m_nScanCount = 0;
    m_dTotalScanTime = 0.0;
    CopyDisplaySettings(m_services.newGridColours != nullptr ? *m_services.newGridColours
                                                             : DisplaySettings{});
    emit historyChanged();
    emit gridChanged();
    return true;
}

bool CVespiraDoc::OnNewDocument()
{
    const ScanGrid& grid = m_services.liveScan.PendingGrid();
    if (static_cast<std::int64_t>(grid.nXPoints) * grid.nYPoints == 0)
        return false;
    if (!SetUpGrid(grid))
        return false;
    m_range.ResetMeasured(m_pIntensity.size(), false);

    m_szFileName[0] = '\0';
    FormatGmtNow(m_szCreatedDate, m_szCreatedTime);
    FormatGmtNow(m_szModifiedDate, m_szModifiedTime);

    SetHeader(MeasurementHeader{});

    SetModifiedFlag(true);
    m_services.liveScan.SetActive(this);
    return true;
}

bool CVespiraDoc::OnOpenDocument(const QByteArray& path)
{
    CWaitCursor wait(Ui());
    return ReadPatternFile(*this, path);
}

bool CVespiraDoc::OnSaveDocument(const QByteArray& path)
{
    CWaitCursor wait(Ui());
    m_strSaveError.clear();
    std::string reason;
    if (!WritePatternFile(*this, path, &reason)) {
        m_strSaveError = QString::fromLocal8Bit(reason.c_str());
        return false;
    }
    SetModifiedFlag(false);
    if (m_services.scanJournal != nullptr)
        m_services.scanJournal->DocumentSaved(*this);
    return true;
}

void CVespiraDoc::OnCloseDocument()
{
    m_services.liveScan.ForgetDocument(this);
    if (m_services.scanJournal != nullptr)
        m_services.scanJournal->DocumentClosed(*this);
    m_pIntensity = {};
    m_pScanTime = {};
    ResetHistory();
    m_range.ResetMeasured(0, true);
    RecountSelection();
    emit historyChanged();
}

bool CVespiraDoc::SaveModified()
{
    if (m_services.liveScan.IsCollectingInto(this)) {
        const QString text =
            QStringLiteral("WARNING: Radiography pattern is still being collected.\n"
                           "\tOK\twill continue with command (abort data collection).\n"
                           "\tCancel\twill cancel your command (return to application).");
        if (Ui().ShowMessage(text, IHostUi::Buttons::OkCancel, IHostUi::Answer::Cancel) !=
            IHostUi::Answer::Ok)
            return false;
    }
    return CDocumentBase::SaveModified();
}

bool CVespiraDoc::SetPointIntensity(float x, float y, int value)
{
    const int col = ColumnOf(x);
    const int row = RowOf(y);
    if (!IsInGrid(col, row))
        return false;

    m_pIntensity[IndexOf(col, row)] = value;
    m_range.MarkMeasured(static_cast<std::size_t>(IndexOf(col, row)));
    m_nMaxIntensity = std::max(m_nMaxIntensity, value);
    SetModifiedFlag(true);
    emit cellChanged(col, row);
    return true;
}

void CVespiraDoc::ClearAll()
{
    BeginTargetStep(QStringLiteral("Clear All"));
    m_pHistory->Reserve(static_cast<std::size_t>(
        std::count_if(m_pScanTime.begin(), m_pScanTime.end(), [](float t) { return t != 0.0f; })));
    for (std::size_t i = 0; i < m_pScanTime.size(); ++i)
        if (m_pScanTime[i] != 0.0f)
            m_pHistory->Record(static_cast<std::int32_t>(i), m_pScanTime[i], 0.0f);
    std::fill(m_pScanTime.begin(), m_pScanTime.end(), 0.0f);
    RecountSelection();
    CommitStep();
}

void CVespiraDoc::Undo()
{
    ApplyHistory(m_pHistory->Undo(), true);
}

void CVespiraDoc::Redo()
{
    ApplyHistory(m_pHistory->Redo(), false);
}

void CVespiraDoc::ApplyHistory(const std::vector<TargetChange>& changes, bool undo)
{
    if (changes.empty())
        return;
    const std::size_t count = std::min(m_pScanTime.size(), static_cast<std::size_t>(PointCount()));
    for (const TargetChange& change : changes)
        if (change.index >= 0 && static_cast<std::size_t>(change.index) < count)
            m_pScanTime[static_cast<std::size_t>(change.index)] =
                undo ? change.before : change.after;
    RecountSelection();
    FollowHistory();
    emit historyChanged();
}

void CVespiraDoc::ResetHistory()
{
    m_pHistory->Clear();
    // An unmodified pattern is its saved state.
    if (!IsModified())
        m_pHistory->MarkSaved();
}

void CVespiraDoc::FollowHistory()
{
    CDocumentBase::SetModifiedFlag(!m_pHistory->IsAtSaved());
}

void CVespiraDoc::SetModifiedFlag(bool modified)
{
    if (modified)
        m_pHistory->ForgetSaved();
    else
        m_pHistory->MarkSaved();
    CDocumentBase::SetModifiedFlag(modified);
}

void CVespiraDoc::BeginTargetStep(const QString& name)
{
    if (m_pHistory->IsOpen())
        CommitStep();
    m_pHistory->Open(name);
}

void CVespiraDoc::EndTargetStep()
{
    CommitStep();
}

bool CVespiraDoc::CommitStep()
{
    if (!m_pHistory->Commit())
        return false;
    FollowHistory();
    emit historyChanged();
    return true;
}

void CVespiraDoc::SetScanTime(int col, int row, float time)
{
    if (!IsInGrid(col, row) || static_cast<std::size_t>(PointCount()) > m_pScanTime.size())
        return;
    const int index = IndexOf(col, row);
    float& slot = m_pScanTime[static_cast<std::size_t>(index)];
    const float old = slot;
    slot = time;
    m_pHistory->Record(index, old, time);
    ++m_nSelectionGeneration;
    // A non-finite time would stay in a running total after it is gone.
    if (!std::isfinite(old) || !std::isfinite(time) || !std::isfinite(m_dTotalScanTime)) {
        RecountSelection();
        return;
    }
    m_nScanCount += (time > 0.0f ? 1 : 0) - (old > 0.0f ? 1 : 0);
    // Whole-second and tenth times sum exactly in double, so the running total equals a
    // fresh sum.
    m_dTotalScanTime += static_cast<double>(time) - static_cast<double>(old);
}

void CVespiraDoc::SetScanTimes(std::span<const PointTime> changes, const QString& stepName)
{
    if (changes.empty())
        return;
    BeginTargetStep(stepName);
    m_pHistory->Reserve(changes.size());
    const std::size_t count = std::min(m_pScanTime.size(), static_cast<std::size_t>(PointCount()));
    for (const PointTime& change : changes)
        if (change.index >= 0 && static_cast<std::size_t>(change.index) < count) {
            float& slot = m_pScanTime[static_cast<std::size_t>(change.index)];
            m_pHistory->Record(change.index, slot, change.time);
            slot = change.time;
        }
    RecountSelection();
    if (CommitStep())
        StampModified();
}

void CVespiraDoc::RecountSelection()
{
    ++m_nSelectionGeneration;
    m_nScanCount = static_cast<int>(
        std::count_if(m_pScanTime.begin(), m_pScanTime.end(), [](float t) { return t > 0.0f; }));
    double total = 0.0;
    for (float t : m_pScanTime)
        total += t;
    m_dTotalScanTime = total;
}

void CVespiraDoc::StampModified()
{
    FormatGmtNow(m_szModifiedDate, m_szModifiedTime);
}
