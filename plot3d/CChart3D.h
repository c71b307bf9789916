#pragma once

#include "plot3d/IChart3D.h"

#include <QLinearGradient>
#include <QWidget>

#include <array>
#include <vector>

class CAxisTickFormatter;
class IHostUi;
class Q3DSurface;
class QKeyEvent;
class QMenu;
class QSurface3DSeries;

// The 3D surface chart, drawn by Qt Data Visualization: the only class that knows the
// chart library. The user turns the surface by dragging with the left button, zooms with
// the wheel, and picks the number of contour levels from the right button's menu.
// Needs OpenGL: make one only where OpenGLAvailable() says so.
class CChart3D : public QWidget, public IChart3D
{
    Q_OBJECT

public:
    // Beyond this many points a side the surface is thinned for drawing (the chart keeps
    // every value).
    static constexpr int kMaxSurfaceSide = 200;
    // The surface is never drawn more than this many times as wide as deep or as deep as
    // wide, so a single row or column is a band that can be read, not a line.
    static constexpr float kMaxSideRatio = 3.0f;
    // Level counts offered by the chart's menu.
    static constexpr std::array<int, 5> kLevelChoices = {5, 10, 20, 50, 100};
    static constexpr int kMaxContourLevels = 100;

    // True where an OpenGL context can be made on this display; software tells whether
    // it is drawn without a graphics card.
    static bool OpenGLAvailable(bool* software = nullptr);

    // ui runs the print dialog and shows print errors. samples: multisampling of the
    // surface's edges (0 where OpenGL is drawn in software: it would slow every frame).
    explicit CChart3D(IHostUi& ui, int samples = 0, QWidget* parent = nullptr);
    ~CChart3D() override;

    QWidget* Widget() override { return this; }
    void SetAxisTitle(Axis axis, const std::string& title) override;
    void SetFillColour(int style, COLORREF colour) override;
    void SetColourRange(const Plot3DColourRange& range) override;
    void SetViewValue(ViewValue which, double value) override;
    double GetViewValue(ViewValue which) const override;
    void SetContourLevels(int levels) override;
    int GetContourLevels() const override { return m_nContourLevels; }
    void SetBatching(bool on) override;
    void SetColumnCount(int columns) override;
    void SetRowCount(int rows) override;
    void SetFirstX(double x) override;
    void SetFirstY(double y) override;
    void SetHoleValue(double value) override;
    void SetGridMode(int mode) override;
    void SetXStep(double step) override;
    void SetYStep(double step) override;
    void SetValue(int column, int row, double value) override;
    bool Print() override;

    // False when the surface could not get its OpenGL context (it would stay blank).
    bool HasContext() const;

    // What is drawn.
    Q3DSurface* Surface() const { return m_pSurface; }
    QSurface3DSeries* Series() const { return m_pSeries; }
    // Frames the surface has drawn so far.
    int FramesDrawn() const { return m_nFramesDrawn; }
    // The right button's menu: one checkable entry per level count.
    void FillLevelsMenu(QMenu& menu);

signals:
    void frameDrawn();

private:
    friend class CSurfaceWindow;
    void ScheduleRedraw();
    void Redraw();
    void SetUpAxes(const std::vector<double>& values, const std::vector<float>& xs,
                   const std::vector<float>& ys);
    void ApplyGradient();
    void ForwardKey(QKeyEvent& event);
    void ShowLevelsMenu(const QPoint& globalPos);
    std::vector<double> ValuesWithoutHoles() const;
    void OnFrameDrawn();

    IHostUi& m_ui;
    Q3DSurface* m_pSurface = nullptr;
    QSurface3DSeries* m_pSeries = nullptr;
    QWidget* m_pContainer = nullptr;

    std::array<CAxisTickFormatter*, 3> m_formatters{};

    std::array<COLORREF, kFillStyleCount> m_fillColours{};
    // The intensities the fill colours span; unset, the values' own range.
    bool m_bColourRange = false;
    double m_fColourLow = 0.0;
    double m_fColourHigh = 0.0;
    IntensityScale m_colourScale = IntensityScale::Linear;
    int m_nContourLevels = kDefaultContourLevels;
    // The last written view values, given back while the camera still shows them: the
    // camera keeps single precision, and cannot roll (the Y rotation).
    std::array<double, 4> m_written{};
    std::array<bool, 4> m_bWritten{};

    bool m_bBatching = false;
    bool m_bRedrawPending = false;
    int m_nColumns = 0;
    int m_nRows = 0;
    double m_fFirstX = 0.0;
    double m_fFirstY = 0.0;
    double m_fXStep = 1.0;
    double m_fYStep = 1.0;
    double m_fHoleValue = -1.0;
    int m_nGridMode = 1;
    // Row by row from chart row 1; sized when the first value arrives.
    std::vector<double> m_values;
    int m_nFramesDrawn = 0;
};
