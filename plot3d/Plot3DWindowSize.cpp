#include "plot3d/Plot3DWindowSize.h"

#include "plot3d/Plot3DSettings.h"

QSize Plot3DWindowSize(const Plot3DSettings& settings, const QSize& available)
{
    const QSize area = available.isValid() && !available.isEmpty() ? available : QSize(1024, 768);
    const QSize smallest = kMinPlot3DWindowSize.boundedTo(area);
    if (settings.windowWidth > 0 && settings.windowHeight > 0)
        return QSize(settings.windowWidth, settings.windowHeight)
            .boundedTo(area)
            .expandedTo(smallest);
    return (area * 2 / 3).expandedTo(smallest);
}
