#include "display/dialogs/CRangePanel.h"

#include "display/dialogs/CRangeHistogram.h"
#include "display/dialogs/WholeNumber.h"
#include "document/IHostUi.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

#include <climits>
#include <optional>

namespace {

std::optional<int> IntOf(const QString& text)
{
    const std::optional<long long> n = WholeNumber(text);
    if (!n || *n < INT32_MIN || *n > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(*n);
}

std::optional<double> PercentileOf(const QString& text)
{
    bool ok = false;
    const double p = text.trimmed().toDouble(&ok);
    if (!ok || !(p >= 0.0) || p > kMaxPercentile)
        return std::nullopt;
    return p;
}

} // namespace

CRangePanel::CRangePanel(const RangeSettings& settings, QWidget* parent)
    : QGroupBox(QStringLiteral("Intensity range"), parent), m_settings(SoundRangeSettings(settings))
{
    setObjectName(QStringLiteral("rangePanel"));
    m_mode = new QComboBox;
    m_mode->setObjectName(QStringLiteral("rangeMode"));
    m_mode->addItems({QStringLiteral("Rising maximum"), QStringLiteral("Fixed"),
                      QStringLiteral("Automatic"), QStringLiteral("Percentile")});
    m_scale = new QComboBox;
    m_scale->setObjectName(QStringLiteral("rangeScale"));
    m_scale->addItems(
        {QStringLiteral("Linear"), QStringLiteral("Square root"), QStringLiteral("Logarithmic")});
    m_minimum = new QLineEdit;
    m_minimum->setObjectName(QStringLiteral("rangeMinimum"));
    m_maximum = new QLineEdit;
    m_maximum->setObjectName(QStringLiteral("rangeMaximum"));
    m_percentile = new QLineEdit;
    m_percentile->setObjectName(QStringLiteral("rangePercentile"));
    for (QLineEdit* edit : {m_minimum, m_maximum, m_percentile})
        edit->setMaximumWidth(96);
    m_histogram = new CRangeHistogram;
    m_histogram->setObjectName(QStringLiteral("rangeHistogram"));

    auto* grid = new QGridLayout(this);
    auto add = [grid](const char* text, QWidget* field, int row, int column) {
        auto* label = new QLabel(QString::fromLatin1(text));
        label->setBuddy(field);
        grid->addWidget(label, row, column);
        grid->addWidget(field, row, column + 1);
    };
    add("&Mode", m_mode, 0, 0);
    add("Sc&ale", m_scale, 0, 2);
    add("Mi&nimum", m_minimum, 1, 0);
    add("Ma&ximum", m_maximum, 1, 2);
    add("&Percentile", m_percentile, 2, 0);
    grid->addWidget(m_histogram, 3, 0, 1, 4);

    connect(m_mode, &QComboBox::currentIndexChanged, this, [this](int index) {
        TakeEdits();
        const auto mode = static_cast<RangeMode>(index);
        if (mode == RangeMode::Fixed && m_settings.mode != RangeMode::Fixed) {
            // Fixed starts from the range shown, so choosing it changes nothing at first.
            const DrawnRange shown = ResolveRange(m_settings, m_risingMin, m_risingMax, m_summary);
            if (shown.min < shown.max) {
                m_settings.fixedMin = shown.min;
                m_settings.fixedMax = shown.max;
            }
        }
        m_settings.mode = mode;
        ShowSettings();
    });
    connect(m_scale, &QComboBox::currentIndexChanged, this, [this](int index) {
        TakeEdits();
        m_settings.scale = static_cast<IntensityScale>(index);
        ShowSettings();
    });
    for (QLineEdit* edit : {m_minimum, m_maximum, m_percentile})
        connect(edit, &QLineEdit::editingFinished, this, [this] {
            TakeEdits();
            ShowRange();
        });
    connect(m_histogram, &CRangeHistogram::limitsDragged, this, [this](int minimum, int maximum) {
        m_settings.mode = RangeMode::Fixed;
        m_settings.fixedMin = minimum;
        m_settings.fixedMax = maximum;
        ShowSettings();
    });
    ShowSettings();
}

void CRangePanel::SetData(std::vector<std::int32_t> measured, int risingMin, int risingMax)
{
    m_measured = std::move(measured);
    m_risingMin = risingMin;
    m_risingMax = risingMax;
    m_summary = SummariseMeasured(m_measured, {}, m_settings.percentile);
    m_histogram->SetValues(m_measured);
    ShowRange();
}

void CRangePanel::SetColours(const ColourTable& colours)
{
    m_histogram->SetColours(colours);
}

void CRangePanel::TakeEdits()
{
    if (m_settings.mode == RangeMode::Fixed) {
        const std::optional<int> lo = IntOf(m_minimum->text());
        const std::optional<int> hi = IntOf(m_maximum->text());
        if (lo && hi && *lo < *hi) {
            m_settings.fixedMin = *lo;
            m_settings.fixedMax = *hi;
        }
    }
    if (const std::optional<double> p = PercentileOf(m_percentile->text());
        p && *p != m_settings.percentile) {
        m_settings.percentile = *p;
        m_summary = SummariseMeasured(m_measured, {}, m_settings.percentile);
    }
}

void CRangePanel::ShowSettings()
{
    {
        const QSignalBlocker blockMode(m_mode);
        const QSignalBlocker blockScale(m_scale);
        m_mode->setCurrentIndex(static_cast<int>(m_settings.mode));
        m_scale->setCurrentIndex(static_cast<int>(m_settings.scale));
    }
    m_percentile->setText(QString::number(m_settings.percentile));
    m_percentile->setEnabled(m_settings.mode == RangeMode::Percentile);
    const bool fixed = m_settings.mode == RangeMode::Fixed;
    m_minimum->setReadOnly(!fixed);
    m_maximum->setReadOnly(!fixed);
    ShowRange();
}

void CRangePanel::ShowRange()
{
    const DrawnRange shown = ResolveRange(m_settings, m_risingMin, m_risingMax, m_summary);
    // The limits in use, also in the modes that find them; only Fixed takes typed ones.
    m_minimum->setText(QString::number(shown.min));
    m_maximum->setText(QString::number(shown.max));
    m_histogram->SetRange(shown);
    emit rangeChanged();
}

bool CRangePanel::Check(IHostUi& ui)
{
    if (m_settings.mode == RangeMode::Fixed) {
        const std::optional<int> lo = IntOf(m_minimum->text());
        const std::optional<int> hi = IntOf(m_maximum->text());
        if (!lo || !hi || *lo >= *hi) {
            ui.ShowMessage(QStringLiteral("The minimum and maximum must be whole numbers, the "
                                          "minimum below the maximum."));
            (lo ? m_maximum : m_minimum)->setFocus();
            return false;
        }
    }
    if (m_settings.mode == RangeMode::Percentile && !PercentileOf(m_percentile->text())) {
        ui.ShowMessage(QStringLiteral("The percentile must be a number from 0 to 50."));
        m_percentile->setFocus();
        return false;
    }
    TakeEdits();
    return true;
}
