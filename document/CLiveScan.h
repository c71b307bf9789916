#pragma once

#include "document/ScanGrid.h"

#include <QObject>

class CVespiraDoc;
class IPatternView;

// The cell the instrument is collecting now; drawn only in the pattern that receives the
// scan.
struct CollectMarker
{
    bool on = false;
    int col = 0;
    int row = 0;
};

// The live scan and its one owner: the grid the instrument announced last, the pattern
// that receives its points and the view that shows them, how many points are still to
// come, and the cell being collected. Nothing else says which pattern is active: the
// remote commands, the documents, the views and the shell ask here and follow
// activeChanged.
class CLiveScan : public QObject
{
    Q_OBJECT

public:
    CVespiraDoc* Document() const { return m_pDocument; }
    IPatternView* View() const { return m_pView; }
    bool IsActive(const CVespiraDoc* doc) const { return doc != nullptr && doc == m_pDocument; }

    // doc receives the scan from now on, shown in view (none: until SetView names one).
    void SetActive(CVespiraDoc* doc, IPatternView* view = nullptr);
    // view shows the active document's scan from now on; a view of another pattern is
    // not taken.
    void SetView(IPatternView* view);
    // No pattern receives the scan; its marker goes off.
    void Forget();
    // doc closes or goes: if it receives the scan, nothing does.
    void ForgetDocument(const CVespiraDoc* doc);
    // view goes: if it shows the scan, replacement (another view of the same pattern, or
    // none) does.
    void ForgetView(const IPatternView* view, IPatternView* replacement = nullptr);

    // The grid of the last NEWIMAGE that was taken; Ctrl+N makes a pattern of it too.
    const ScanGrid& PendingGrid() const { return m_pendingGrid; }
    void SetPendingGrid(const ScanGrid& grid) { m_pendingGrid = grid; }

    int PointsRemaining() const { return m_nPointsRemaining; }
    void SetPointsRemaining(int count) { m_nPointsRemaining = count; }
    // One point of the scan arrived, in the grid or not.
    void PointCollected();
    // Points are still expected but no pattern receives them.
    bool IsOrphaned() const { return m_pDocument == nullptr && m_nPointsRemaining > 0; }
    // Still collecting into doc: closing it would cut the scan short.
    bool IsCollectingInto(const CVespiraDoc* doc) const
    {
        return IsActive(doc) && m_nPointsRemaining != 0;
    }

    const CollectMarker& Marker() const { return m_marker; }
    void SetMarker(int col, int row) { m_marker = {true, col, row}; }
    void ClearMarker() { m_marker.on = false; }
    // The marker as doc's pattern shows it: off in every pattern but the active one.
    CollectMarker MarkerIn(const CVespiraDoc& doc) const;

signals:
    // The active document or view changed (after the change).
    void activeChanged();

private:
    void Set(CVespiraDoc* doc, IPatternView* view);

    ScanGrid m_pendingGrid;
    CVespiraDoc* m_pDocument = nullptr;
    IPatternView* m_pView = nullptr;
    int m_nPointsRemaining = 0;
    CollectMarker m_marker;
};
