#pragma once

#include "document/IPatternView.h"
#include "render/CCellImage.h"
#include "render/ViewLayout.h"
#include "view/SelectionTools.h"
#include "view/ViewContext.h"

#include <QTimer>
#include <QWidget>

class CVespiraDoc;
class QImage;
class QPaintDevice;
class QPainter;

// The pattern view: the false-colour image of one document with its frame and axis
// values, the colour scale, the statistics and header panels, and the status text under
// the pointer. Painting happens only in paintEvent, from an image with one pixel per
// visible grid point; the single-cell operations change that pixel and repaint only its
// cell, so a scan never repaints the whole view per point.
class CVespiraView : public QWidget, public IPatternView
{
    Q_OBJECT

public:
    CVespiraView(CVespiraDoc& doc, const ViewContext& context, QWidget* parent = nullptr);
    ~CVespiraView() override;

    CVespiraDoc* GetDocument() const override { return &m_doc; }

    void DrawCell(int col, int row) override;
    void DrawTarget(int col, int row) override;
    void DrawCollectMarker(int col, int row) override;
    void DrawAllTargets() override;
    void DrawStatistics() override;
    void DrawColourScale() override;
    void RequestRepaint() override;

    // The inverses of the drawing, in client pixels of the last layout.
    bool HitTestGrid(int x, int y, int& col, int& row) const;
    bool HitTestColourScale(int x, int y, int& sx, int& sy) const;
    // The text for a grid point, or for none (nullptr).
    QString FormatStatusText(const GridPoint* point) const;

    // The screen layout for a client size (0 or less keeps the stored one), stored in the
    // document as well.
    void RecalcScreenLayout(int width, int height);
    const PatternLayout& ScreenLayout() const { return m_layout; }
    // The visible window for a zoom level 1..8 around the document's zoom centre.
    void SetZoom(int level);
    // Pixels of a visible point's cell on screen; empty for other points.
    QRect CellRect(int col, int row) const;

    // False when the device cannot be painted on.
    bool Print(QPaintDevice& device);

    // The right press on the colour scale: the Color Intensity Scale dialog, and a repaint
    // when it changed anything.
    void OpenColourScaleDialog();
    // The right press elsewhere off the grid: the Options dialog, and on OK every view
    // repainted.
    void OpenOptionsDialog();
    // What the hit tests find at a client point.
    PointerSpot SpotAt(const QPoint& p) const;
    // A full repaint of every pattern view (after a change of colours or orientation).
    static void RepaintAllViews();

    // The view's commands. The zoom commands do nothing, and repaint nothing, at their
    // limits; the zoom state is the document's, so other views follow at their next
    // repaint.
    void OnViewOverlay();
    void OnViewHeader();
    // Locks the colour range shown now, or frees it.
    void OnRangeLock();
    void OnZoomIn();
    void OnZoomOut();
    void OnZoomReset();
    void OnClearAll();
    void OnEditUndo();
    void OnEditRedo();
    // The view as it is on screen, the document's client size, as an image on the
    // clipboard.
    void OnEditCopy();
    QImage CopyImage();
    // The Send-targets dialog for this view's document; this document and view are the
    // active ones afterwards, whatever its result, unless a new scan began meanwhile.
    void OnSendTargets();

signals:
    // A right button released over the grid: the context menu belongs at this screen point.
    void contextMenuRequested(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Ctrl+wheel zooms around the grid point under the pointer.
    void wheelEvent(QWheelEvent* event) override;

private:
    void RightPress(const PointerSpot& spot);
    // Ends a gesture begun in this view whose release will not come.
    void EndLostGesture();

    ImagePlacement Placement() const;
    void SetCellColour(int col, int row, COLORREF colour);
    int LineHeight();
    // Summarises the measured points for a range that follows them, at most once per
    // interval; points arriving meanwhile wait for the interval's end.
    void KeepRangeCurrent();

    CVespiraDoc& m_doc;
    const ViewContext m_context;
    const RenderContext m_render;
    CSelectionTools m_tools;
    // The left press of the gesture under way was in this view.
    bool m_bGestureHere = false;
    CCellImage m_cells;
    PatternLayout m_layout;
    CellWindow m_window;
    int m_nLineHeight = -1;
    // Coalesces the repaint that recolours the image after the intensity range grew.
    QTimer m_recolour;
    // The interval between two summaries of the measured points.
    QTimer m_rangeRefresh;
};
