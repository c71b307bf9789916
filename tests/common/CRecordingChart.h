#pragma once

#include "plot3d/IChart3D.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

// Records every chart call as one line of text, keeps what was written for reading back,
// and lets a test play the user who turned the chart.
class CRecordingChart : public IChart3D
{
public:
    // withWidget: a plain widget stands in for the chart's window (for the layout).
    explicit CRecordingChart(bool withWidget = false) : m_widget(withWidget ? new QWidget : nullptr)
    {}
    ~CRecordingChart() override
    {
        // A dialog that took the widget as its child has deleted it with itself.
        if (m_widget && m_widget->parent() == nullptr)
            delete m_widget.data();
    }
    CRecordingChart(const CRecordingChart&) = delete;
    CRecordingChart& operator=(const CRecordingChart&) = delete;

    QWidget* Widget() override { return m_widget.data(); }
    void SetAxisTitle(Axis axis, const std::string& title) override
    {
        Record("SetAxisTitle(" + std::string(1, "XYZ"[static_cast<int>(axis)]) + ", \"" + title +
               "\")");
    }
    void SetFillColour(int style, COLORREF colour) override
    {
        Record("SetFillColour(" + Int(style) + ", " + Int(colour) + ")");
    }
    void SetColourRange(const Plot3DColourRange& range) override
    {
        const char* scale = range.scale == IntensityScale::SquareRoot    ? ", sqrt"
                            : range.scale == IntensityScale::Logarithmic ? ", log"
                                                                         : "";
        Record("SetColourRange(" + Num(range.low) + ", " + Num(range.high) + scale + ")");
    }
    void SetViewValue(ViewValue which, double value) override
    {
        view[static_cast<std::size_t>(which)] = value;
        Record("SetViewValue(" + std::string(kViewNames[static_cast<int>(which)]) + ", " +
               Num(value) + ")");
    }
    double GetViewValue(ViewValue which) const override
    {
        return view[static_cast<std::size_t>(which)];
    }
    void SetContourLevels(int value) override
    {
        levels = value;
        Record("SetContourLevels(" + Int(value) + ")");
    }
    int GetContourLevels() const override { return levels; }
    void SetBatching(bool on) override { Record(on ? "SetBatching(true)" : "SetBatching(false)"); }
    void SetColumnCount(int n) override { Record("SetColumnCount(" + Int(n) + ")"); }
    void SetRowCount(int n) override { Record("SetRowCount(" + Int(n) + ")"); }
    void SetFirstX(double x) override { Record("SetFirstX(" + Num(x) + ")"); }
    void SetFirstY(double y) override { Record("SetFirstY(" + Num(y) + ")"); }
    void SetHoleValue(double v) override { Record("SetHoleValue(" + Num(v) + ")"); }
    void SetGridMode(int mode) override { Record("SetGridMode(" + Int(mode) + ")"); }
    void SetXStep(double step) override { Record("SetXStep(" + Num(step) + ")"); }
    void SetYStep(double step) override { Record("SetYStep(" + Num(step) + ")"); }
    void SetValue(int column, int row, double value) override
    {
        Record("SetValue(" + Int(column) + ", " + Int(row) + ", " + Num(value) + ")");
    }
    bool Print() override
    {
        Record("Print()");
        return true;
    }

    // The user turns the chart and picks a level count.
    void Turn(double perspective, double x, double y, double z, int levelCount)
    {
        view = {perspective, x, y, z};
        levels = levelCount;
    }

    // The recorded calls whose text begins with prefix.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const
    {
        std::vector<std::string> found;
        for (const std::string& call : calls)
            if (call.rfind(prefix, 0) == 0)
                found.push_back(call);
        return found;
    }

    std::vector<std::string> calls;
    // What the user sees before anything is written: the chart's own first view.
    std::array<double, 4> view{15.0, 25.0, 0.0, -40.0};
    int levels = kDefaultContourLevels;

private:
    static constexpr const char* kViewNames[] = {"Perspective", "XRotation", "YRotation",
                                                 "ZRotation"};
    static std::string Int(long long v) { return std::to_string(v); }
    static std::string Num(double v)
    {
        char text[64];
        std::snprintf(text, sizeof text, "%.17g", v);
        return text;
    }
    void Record(std::string call) { calls.push_back(std::move(call)); }

    QPointer<QWidget> m_widget;
};
