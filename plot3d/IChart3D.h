#pragma once

#include "document/Colour.h"
#include "plot3d/Plot3DColourRange.h"

#include <string>

class QWidget;

// The 3D surface chart as the 3D plot dialog drives it, one operation per chart call in
// the order the dialog makes them. CChart3D draws it; tests record the calls.
class IChart3D
{
public:
    enum class Axis
    {
        X,
        Y,
        Z
    };
    enum class ViewValue
    {
        Perspective,
        XRotation,
        YRotation,
        ZRotation
    };
    static constexpr int kFillStyleCount = 101;
    static constexpr int kDefaultContourLevels = 10;

    virtual ~IChart3D() = default;

    // The chart's window inside the dialog; none for a chart that draws nothing.
    virtual QWidget* Widget() = 0;

    virtual void SetAxisTitle(Axis axis, const std::string& title) = 0;
    // Colour of fill style 0 to 100; the contour levels take their colours from these.
    virtual void SetFillColour(int style, COLORREF colour) = 0;
    // Intensities from low to high take the fill styles' colours 0 to 100, spread evenly
    // on the scale given; below low the first, from high up the last (the pattern's own
    // range plays no part).
    virtual void SetColourRange(const Plot3DColourRange& range) = 0;

    // The view the user sees, as four values that give the same view when written back.
    virtual void SetViewValue(ViewValue which, double value) = 0;
    virtual double GetViewValue(ViewValue which) const = 0;
    virtual void SetContourLevels(int levels) = 0;
    virtual int GetContourLevels() const = 0;

    // Grid data: between SetBatching(true) and SetBatching(false) the calls only collect;
    // the surface is drawn when batching ends.
    virtual void SetBatching(bool on) = 0;
    virtual void SetColumnCount(int columns) = 0;
    virtual void SetRowCount(int rows) = 0;
    virtual void SetFirstX(double x) = 0;
    virtual void SetFirstY(double y) = 0;
    // A value equal to this one marks a point without data.
    virtual void SetHoleValue(double value) = 0;
    // 1: the points lie on the regular grid given by the first positions and the steps.
    virtual void SetGridMode(int mode) = 0;
    virtual void SetXStep(double step) = 0;
    virtual void SetYStep(double step) = 0;
    // Column and row count from 1; row 1 lies at the first Y.
    virtual void SetValue(int column, int row, double value) = 0;

    // Prints the chart's picture; false when nothing was printed.
    virtual bool Print() = 0;
};
