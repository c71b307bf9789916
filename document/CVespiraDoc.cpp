#include "document/CVespiraDoc.h"

#include "base/FixedText.h"
#include "base/FormatGmtNow.h"
#include "document/CPatternFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

CVespiraDoc::CVespiraDoc(CProgramState& state, QObject* parent)
    : CDocumentBase(*state.ui, parent), m_state(state)
{}

CVespiraDoc::~CVespiraDoc()
{
    // A document destroyed without a proper close must not stay referenced.
    if (m_state.activeDocument == this) {
        m_state.markerBlinker.reset();
        m_state.activeDocument = nullptr;
        m_state.activeView = nullptr;
    }
    if (m_state.scanJournal != nullptr)
        m_state.scanJournal->DocumentDestroyed(*this);
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
}

bool CVespiraDoc::SetUpGrid(const ScanGrid& grid)
{
    const bool finite = std::isfinite(grid.fXBeg) && std::isfinite(grid.fXEnd) &&
                        std::isfinite(grid.fXInc) && std::isfinite(grid.fYBeg) &&
                        std::isfinite(grid.fYEnd) && std::isfinite(grid.fYInc);
    if (!finite || grid.fXInc == 0.0f || grid.fYInc == 0.0f || grid.nXPoints < 1 ||
        grid.nYPoints < 1 ||
        static_cast<std::int64_t>(grid.nXPoints) * grid.nYPoints > kMaxGridPoints ||
        !GridFitsInMemory(grid, m_state.availableMemory()))
        return false;

    const std::size_t count = static_cast<std::size_t>(grid.nXPoints) * grid.nYPoints;
    GridArray<std::int32_t> intensity;
    GridArray<float> scanTime;
    GridArray<float> undoScanTime;
    try {
        intensity.assign(count, 0);
        scanTime.assign(count, 0.0f);
        undoScanTime.assign(count, 0.0f);
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
    m_nMinIntensity = m_state.initialMinIntensity;
    m_nMaxIntensity = m_state.initialMaxIntensity;
    ResetViewState();
    m_pIntensity = std::move(intensity);
    m_pScanTime = std::move(scanTime);
    m_pUndoScanTime = std::move(undoScanTime);
    // A new grid holds no selection; counting a million zeroes would tell the same.
    ++m_nSelectionGeneration;
    m_nScanCount = 0;
    m_dTotalScanTime = 0.0;
    CopyDisplaySettings(m_state.display);
    return true;
}

bool CVespiraDoc::OnNewDocument()
{
    const ScanGrid& grid = m_state.pendingGrid;
    if (static_cast<std::int64_t>(grid.nXPoints) * grid.nYPoints == 0)
        return false;
    if (!SetUpGrid(grid))
        return false;

    m_szFileName[0] = '\0';
    FormatGmtNow(m_szCreatedDate, m_szCreatedTime);
    FormatGmtNow(m_szModifiedDate, m_szModifiedTime);

    m_fMeasTime = 0.0f;
    m_nKV = 0;
    m_nMA = 0;
    m_fDetDistance = 0.0f;
    m_fBeamX = 0.0f;
    m_fBeamY = 0.0f;
    m_nImageSize = 0;
    m_szBackgroundFile[0] = '\0';
    m_fBackgroundX = 0.0f;
    m_fBackgroundY = 0.0f;
    m_nBackgroundKV = 0;
    m_nBackgroundMA = 0;
    m_fBackgroundTime = 0.0f;

    SetModifiedFlag(true);
    m_state.activeDocument = this;
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
    if (m_state.scanJournal != nullptr)
        m_state.scanJournal->DocumentSaved(*this);
    return true;
}

void CVespiraDoc::OnCloseDocument()
{
    if (m_state.activeDocument == this) {
        m_state.markerBlinker.reset();
        m_state.activeDocument = nullptr;
        m_state.activeView = nullptr;
    }
    if (m_state.scanJournal != nullptr)
        m_state.scanJournal->DocumentClosed(*this);
    m_pIntensity = {};
    m_pScanTime = {};
    m_pUndoScanTime = {};
    RecountSelection();
}

bool CVespiraDoc::SaveModified()
{
    if (m_state.activeDocument == this && m_state.pointsRemaining != 0) {
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
    CVespiraDoc* doc = m_state.activeDocument;
    if (doc == nullptr)
        return false;
    const int col = doc->ColumnOf(x);
    const int row = doc->RowOf(y);
    if (!doc->IsInGrid(col, row))
        return false;

    doc->m_pIntensity[doc->IndexOf(col, row)] = value;
    doc->m_nMaxIntensity = std::max(doc->m_nMaxIntensity, value);
    doc->SetModifiedFlag(true);
    if (m_state.activeView != nullptr)
        m_state.activeView->DrawCell(col, row);
    emit doc->cellChanged(col, row);
    return true;
}

void CVespiraDoc::ClearAll()
{
    m_pUndoScanTime = m_pScanTime;
    std::fill(m_pScanTime.begin(), m_pScanTime.end(), 0.0f);
    RecountSelection();
}

void CVespiraDoc::Undo()
{
    m_pScanTime = m_pUndoScanTime;
    RecountSelection();
}

void CVespiraDoc::SetScanTime(int col, int row, float time)
{
    if (!IsInGrid(col, row) || static_cast<std::size_t>(PointCount()) > m_pScanTime.size())
        return;
    float& slot = m_pScanTime[static_cast<std::size_t>(IndexOf(col, row))];
    const float old = slot;
    slot = time;
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
