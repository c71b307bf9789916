#pragma once

#include "document/Colour.h"
#include "document/IntensityRange.h"

#include <QGroupBox>

#include <cstdint>
#include <vector>

class CRangeHistogram;
class IHostUi;
class QComboBox;
class QLineEdit;

// The colour range of a pattern: its mode, scale, fixed limits and percentile, with the
// histogram of the measured points whose handles set fixed limits.
class CRangePanel : public QGroupBox
{
    Q_OBJECT

public:
    CRangePanel(const RangeSettings& settings, QWidget* parent = nullptr);

    // The measured values (only those), and the pattern's rising range, which stands in
    // while nothing is measured.
    void SetData(std::vector<std::int32_t> measured, int risingMin, int risingMax);
    void SetColours(const ColourTable& colours);

    // The settings as the controls show them; Check first.
    RangeSettings Settings() const { return m_settings; }
    // Takes the typed limits and percentile; false, with a message and the focus on the
    // edit, for one that cannot be used.
    bool Check(IHostUi& ui);

    QComboBox* ModeBox() const { return m_mode; }
    QComboBox* ScaleBox() const { return m_scale; }
    QLineEdit* MinimumEdit() const { return m_minimum; }
    QLineEdit* MaximumEdit() const { return m_maximum; }
    QLineEdit* PercentileEdit() const { return m_percentile; }
    CRangeHistogram* Histogram() const { return m_histogram; }

signals:
    void rangeChanged();

private:
    void ShowSettings();
    void ShowRange();
    void TakeEdits();

    RangeSettings m_settings;
    MeasuredSummary m_summary;
    std::vector<std::int32_t> m_measured;
    int m_risingMin = 0;
    int m_risingMax = 63;
    QComboBox* m_mode;
    QComboBox* m_scale;
    QLineEdit* m_minimum;
    QLineEdit* m_maximum;
    QLineEdit* m_percentile;
    CRangeHistogram* m_histogram;
};
