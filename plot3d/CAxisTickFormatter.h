#pragma once

#include "plot3d/AxisTicks.h"

#include <QtDataVisualization/QValue3DAxisFormatter>

// Puts an axis' grid lines and labels at chosen values (AxisTicks) instead of the library's
// even segments, whose labels repeat on a narrow range ("500 500 501 501").
class CAxisTickFormatter : public QValue3DAxisFormatter
{
    Q_OBJECT

public:
    explicit CAxisTickFormatter(QObject* parent = nullptr);

    void SetTicks(AxisTicks ticks);
    const AxisTicks& Ticks() const { return m_ticks; }

protected:
    QValue3DAxisFormatter* createNewInstance() const override;
    void recalculate() override;
    QString stringForValue(qreal value, const QString& format) const override;
    void populateCopy(QValue3DAxisFormatter& copy) const override;

private:
    AxisTicks m_ticks;
};
