#pragma once

#include "document/CDocumentBase.h"
#include "document/Colour.h"
#include "document/DisplaySettings.h"
#include "document/DocumentServices.h"
#include "document/GridArray.h"
#include "document/IntensityRange.h"
#include "document/MeasurementHeader.h"
#include "document/ScanGrid.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class CTargetHistory;
struct TargetChange;

// One radiography pattern: the scan grid, the intensity of every grid point, the
// selection of targets with its undo history, the measurement header and the view state
// all views of the pattern share. Views and the instrument link read and write the
// fields directly, as the rest of the program expects.
// One point's new scan time: its index in the grid arrays and the time (0: no target).
struct PointTime
{
    int index = 0;
    float time = 0.0f;
};

class CVespiraDoc : public CDocumentBase
{
    Q_OBJECT

public:
    explicit CVespiraDoc(DocumentServices& services, QObject* parent = nullptr);
    ~CVespiraDoc() override;

    // Grid.
    int m_nXPoints = 0;
    int m_nYPoints = 0;
    float m_fXBeg = 0.0f;
    float m_fXEnd = 0.0f;
    float m_fXInc = 0.0f;
    float m_fYBeg = 0.0f;
    float m_fYEnd = 0.0f;
    float m_fYInc = 0.0f;
    GridArray<std::int32_t> m_pIntensity;
    GridArray<float> m_pScanTime;

    // Header.
    char m_szFileName[256] = "";
    char m_szCreatedDate[12] = "";
    char m_szCreatedTime[12] = "";
    char m_szModifiedDate[12] = "";
    char m_szModifiedTime[12] = "";
    float m_fMeasTime = 0.0f;
    int m_nKV = 0;
    int m_nMA = 0;
    float m_fDetDistance = 0.0f;
    float m_fBeamX = 0.0f;
    float m_fBeamY = 0.0f;
    int m_nImageSize = 0;
    char m_szBackgroundFile[256] = "";
    float m_fBackgroundX = 0.0f;
    float m_fBackgroundY = 0.0f;
    int m_nBackgroundKV = 0;
    int m_nBackgroundMA = 0;
    float m_fBackgroundTime = 0.0f;

    // View state shared by all views of the pattern.
    int m_nCellSize = -1;
    int m_nZoom = 1;
    int m_nZoomCol = -1;
    int m_nZoomRow = -1;
    int m_nFirstCol = 0;
    int m_nLastCol = -1;
    int m_nFirstRow = 0;
    int m_nLastRow = -1;
    int m_nClientWidth = 0;
    int m_nClientHeight = 0;
    int m_nMinIntensity = 0;
    int m_nMaxIntensity = 63;
    // The range mode and scale, which points are measured, the lock (PatternRange.h).
    DocumentRange m_range;

    // Colour settings, copied from the program-wide ones.
    char m_szLutName[64] = "";
    ColourTable m_LutColors{};
    ColourTable m_DisplayColors{};
    int m_nBrightness = 0;
    int m_nHue = 0;
    int m_nSaturation = 0;
    int m_nContrast = 0;

    // Layout results (client pixels, all edges inclusive).
    int m_nImageLeft = 0;
    int m_nImageRight = 0;
    int m_nImageTop = 0;
    int m_nImageBottom = 0;
    int m_nBarLeft = 0;
    int m_nBarRight = 0;
    int m_nBarTop = 0;
    int m_nBarBottom = 0;

    // New, Open, Save, Close and the question before a close.
    bool OnNewDocument();
    bool OnOpenDocument(const QByteArray& path);
    bool OnSaveDocument(const QByteArray& path);
    // Why the last save failed ("No space left on device", ...).
    QString SaveError() const { return m_strSaveError; }
    void OnCloseDocument();
    bool SaveModified() override;

    // Stores one collected point; its cell is redrawn in every view through cellChanged.
    bool SetPointIntensity(float x, float y, int value);

    // Grid geometry.
    int PointCount() const { return m_nXPoints * m_nYPoints; }
    int IndexOf(int col, int row) const { return row * m_nXPoints + col; }
    bool IsInGrid(int col, int row) const
    {
        return col >= 0 && col < m_nXPoints && row >= 0 && row < m_nYPoints;
    }
    // The point rule: column of an X and row of a Y position (may lie outside the grid).
    int ColumnOf(float x) const;
    int RowOf(float y) const;
    // X of a column and Y of a row, in double precision from the single-precision fields.
    double XOf(int col) const;
    double YOf(int row) const;

    ScanGrid Grid() const
    {
        return {m_nXPoints, m_nYPoints, m_fXBeg, m_fXEnd, m_fXInc, m_fYBeg, m_fYEnd, m_fYInc};
    }
    // Installs a grid: counts and axes, the initial intensity range, the view state, three
    // zeroed arrays and a copy of the current display settings. False (nothing changed)
    // for a grid that cannot be allocated.
    bool SetUpGrid(const ScanGrid& grid);
    // The view state of a fresh grid: no layout yet, zoom 1, the whole grid visible.
    void ResetViewState();
    void CopyDisplaySettings(const DisplaySettings& display);
    // The header's measurement and background values, copied in and out as one.
    MeasurementHeader Header() const;
    void SetHeader(const MeasurementHeader& header);
    DisplaySettings GetDisplaySettings() const;

    // Selection.
    bool IsTarget(int col, int row) const { return m_pScanTime[IndexOf(col, row)] != 0.0f; }
    // Removes every target, as one step of the history.
    void ClearAll();
    // One step of the target history back or forward; the modified flag follows, so
    // coming back to the saved state leaves the pattern unmodified.
    void Undo();
    void Redo();
    const CTargetHistory& History() const { return *m_pHistory; }
    // A gesture's changes through SetScanTime between these two become one named step of
    // the history; a gesture that changed nothing leaves no step.
    void BeginTargetStep(const QString& name);
    void EndTargetStep();
    // One point's scan time, keeping the running count and total up to date; recorded in
    // the open step, if any.
    void SetScanTime(int col, int row, float time);
    // Many points' scan times as one change of the targets (a list imported, targets
    // removed or retimed in the target list), one step of the history named stepName: the
    // pattern is marked modified and its modified stamp renewed. Indices outside the grid
    // are skipped.
    void SetScanTimes(std::span<const PointTime> changes, const QString& stepName);
    // Counts the selection anew after m_pScanTime was written as a whole.
    void RecountSelection();
    // Scan times greater than 0, and the sum of all scan times in seconds; kept as the
    // selection changes, so the statistics panel never walks the grid.
    int ScanCount() const { return m_nScanCount; }
    double TotalScanTime() const { return m_dTotalScanTime; }
    // Changes with every change of the selection, so a drawn copy can tell it is current.
    unsigned SelectionGeneration() const { return m_nSelectionGeneration; }
    // Restamps the modified date and time.
    void StampModified();

    DocumentServices& Services() const { return m_services; }

    // A change outside the target history (a collected point, the header) makes the saved
    // state unreachable by undo and redo; a save or load makes the current state the saved
    // one.
    void SetModifiedFlag(bool modified = true) override;
    // A press of a selection tool on the grid marks the pattern modified even when it
    // changes nothing; being no change, it leaves the saved state reachable by undo.
    void MarkModifiedByPress() { CDocumentBase::SetModifiedFlag(true); }

signals:
    // A single cell's intensity changed: every view of the pattern redraws that cell.
    void cellChanged(int col, int row);
    // A step was added, undone or redone, or the history emptied: the Undo and Redo texts
    // and the drawn targets follow.
    void historyChanged();
    // A grid was installed (a new pattern, a load): positions and targets are new.
    void gridChanged();

private:
    // Writes the times of an undo (before) or redo (after) and keeps the counts.
    void ApplyHistory(const std::vector<TargetChange>& changes, bool undo);
    // An empty history, whose saved state is the current one while the pattern is
    // unmodified.
    void ResetHistory();
    // The modified flag from the history's position.
    void FollowHistory();
    bool CommitStep();

    std::unique_ptr<CTargetHistory> m_pHistory;
    DocumentServices& m_services;
    QString m_strSaveError;
    int m_nScanCount = 0;
    double m_dTotalScanTime = 0.0;
    unsigned m_nSelectionGeneration = 0;
};
