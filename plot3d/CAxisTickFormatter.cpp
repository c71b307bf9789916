#include "plot3d/CAxisTickFormatter.h"

#include <QtDataVisualization/QValue3DAxis>

#include <algorithm>

CAxisTickFormatter::CAxisTickFormatter(QObject* parent) : QValue3DAxisFormatter(parent) {}

void CAxisTickFormatter::SetTicks(AxisTicks ticks)
{
    m_ticks = std::move(ticks);
    markDirty(true);
}

QValue3DAxisFormatter* CAxisTickFormatter::createNewInstance() const
{
    return new CAxisTickFormatter;
}

void CAxisTickFormatter::recalculate()
{
    gridPositions().clear();
    subGridPositions().clear();
    labelPositions().clear();
    labelStrings().clear();
    const QValue3DAxis* owner = axis();
    if (owner == nullptr)
        return;
    const double min = owner->min();
    const double span = static_cast<double>(owner->max()) - min;
    for (double value : m_ticks.values) {
        const double at = span > 0.0 ? (value - min) / span : 0.5;
        if (at < -1e-6 || at > 1.0 + 1e-6)
            continue;
        const auto position = static_cast<float>(std::clamp(at, 0.0, 1.0));
        gridPositions().append(position);
        labelPositions().append(position);
        labelStrings().append(QString::fromStdString(TickLabel(value, m_ticks.decimals)));
    }
}

QString CAxisTickFormatter::stringForValue(qreal value, const QString&) const
{
    return QString::fromStdString(TickLabel(value, m_ticks.decimals));
}

void CAxisTickFormatter::populateCopy(QValue3DAxisFormatter& copy) const
{
    QValue3DAxisFormatter::populateCopy(copy);
    static_cast<CAxisTickFormatter&>(copy).m_ticks = m_ticks;
}
