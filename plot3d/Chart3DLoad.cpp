#include "plot3d/Chart3DLoad.h"
#include "plot3d/Plot3DColourRange.h"
#include "plot3d/Plot3DSettings.h"

#include "base/DecimalPlaces.h"
#include "base/NumberText.h"
#include "document/CVespiraDoc.h"

#include <algorithm>

namespace {

using View = IChart3D::ViewValue;

// The distance between neighbouring points of an axis. A single point has no neighbour:
// its strip is as wide as the grid's increment (or 1 mm without one), never 0 or NaN.
double AxisStep(float begin, float end, int points, float increment)
{
    if (points > 1)
        return (static_cast<double>(end) - static_cast<double>(begin)) / (points - 1);
    return increment != 0.0f ? static_cast<double>(increment) : 1.0;
}

} // namespace

std::string AxisTitle(const char* axisName, float increment)
{
    return std::string(axisName) +
           "  d = " + FormatFixed(static_cast<double>(increment), DecimalPlaces(increment)) +
           " [mm]";
}

void LoadChart3D(IChart3D& chart, const CVespiraDoc& doc, const Plot3DSettings& settings)
{
    chart.SetAxisTitle(IChart3D::Axis::X, AxisTitle("X-axis", doc.m_fXInc));
    chart.SetAxisTitle(IChart3D::Axis::Y, AxisTitle("Y-axis", doc.m_fYInc));
    chart.SetAxisTitle(IChart3D::Axis::Z, std::string());

    for (int i = 0; i < IChart3D::kFillStyleCount; ++i)
        chart.SetFillColour(i, doc.m_DisplayColors[static_cast<std::size_t>(i * 255 / 100)]);
    chart.SetColourRange(ChartColourRange(doc));

    if (settings.present) {
        chart.SetViewValue(View::Perspective, settings.perspective);
        chart.SetViewValue(View::XRotation, settings.xRotation);
        chart.SetViewValue(View::YRotation, settings.yRotation);
        chart.SetViewValue(View::ZRotation, settings.zRotation);
        chart.SetContourLevels(settings.contourLevels);
    }

    const int columns = doc.m_nXPoints;
    const int rows = doc.m_nYPoints;
    chart.SetBatching(true);
    chart.SetColumnCount(columns);
    chart.SetRowCount(rows);
    chart.SetFirstX(static_cast<double>(doc.m_fXBeg));
    chart.SetFirstY(static_cast<double>(doc.m_fYBeg));
    chart.SetHoleValue(-1.0);
    chart.SetGridMode(1);
    chart.SetXStep(AxisStep(doc.m_fXBeg, doc.m_fXEnd, columns, doc.m_fXInc));
    chart.SetYStep(AxisStep(doc.m_fYBeg, doc.m_fYEnd, rows, doc.m_fYInc));
    // Array row 0 is the top row (Y end): it becomes the chart's last row.
    const int points = columns > 0 && rows > 0
                           ? static_cast<int>(std::min<std::size_t>(
                                 static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows),
                                 doc.m_pIntensity.size()))
                           : 0;
    for (int j = 0; j < points; ++j)
        chart.SetValue(j % columns + 1, rows - j / columns,
                       static_cast<double>(doc.m_pIntensity[static_cast<std::size_t>(j)]));
    chart.SetBatching(false);
}

void ReadChart3DView(const IChart3D& chart, Plot3DSettings& settings)
{
    settings.perspective = chart.GetViewValue(View::Perspective);
    settings.xRotation = chart.GetViewValue(View::XRotation);
    settings.yRotation = chart.GetViewValue(View::YRotation);
    settings.zRotation = chart.GetViewValue(View::ZRotation);
    settings.contourLevels = chart.GetContourLevels();
    settings.present = true;
}
