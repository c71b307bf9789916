#include "display/dialogs/CColorScaleDlg.h"

#include "display/ColourSettings.h"
#include "display/ColourTransform.h"
#include "display/LookupTable.h"
#include "display/dialogs/CRangePanel.h"
#include "display/dialogs/WholeNumber.h"
#include "document/IHostUi.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <optional>

namespace {

constexpr int kMinValue = 0;
constexpr int kMaxValue = 255;
// The preview is as tall as the view's colour scale and 30 pixels wide.
constexpr int kPreviewHeight = 128;
constexpr int kPreviewHalfWidth = 15;

const char* const kLabels[] = {"Brightness", "Contrast", "Hue", "Saturation"};
const char* const kErrorCaptions[] = {"Brightness Error", "Contrast Error", "Hue Error",
                                      "Saturation Error"};
const char* const kNames[] = {"brightness", "contrast", "hue", "saturation"};

} // namespace

CColorScaleDlg::CColorScaleDlg(const ProgramColours& colours, IHostUi& ui,
                               const ColourScaleValues& values, const ColourTable& lut,
                               QWidget* parent, const RangeSettings& range)
    : QDialog(parent), m_colours(colours), m_ui(ui), m_LutColors(lut), m_docLutColors(lut)
{
    setWindowTitle(QStringLiteral("Color Intensity Scale"));
    m_values[kBrightness] = values.brightness;
    m_values[kContrast] = values.contrast;
    m_values[kHue] = values.hue;
    m_values[kSaturation] = values.saturation;
    std::copy(std::begin(m_values), std::end(m_values), std::begin(m_initialValues));
    m_szLutName = QString::fromLocal8Bit(values.lutName);
    m_initialLutName = m_szLutName;

    auto* grid = new QGridLayout;
    m_lutCombo = new QComboBox;
    m_lutCombo->setObjectName(QStringLiteral("lutCombo"));
    m_lutCombo->setEditable(true);
    m_lutCombo->setInsertPolicy(QComboBox::NoInsert);
    m_lutCombo->lineEdit()->setMaxLength(255);
    m_lutCombo->addItems(ListLookupTables());
    m_lutCombo->setEditText(m_szLutName);
    auto* lutLabel = new QLabel(QStringLiteral("Color look-up table"));
    lutLabel->setBuddy(m_lutCombo);
    grid->addWidget(lutLabel, 0, 0);
    grid->addWidget(m_lutCombo, 0, 1, 1, 2);

    for (int i = 0; i < kValueCount; ++i) {
        auto* label = new QLabel(QString::fromLatin1(kLabels[i]));
        m_bars[i] = new QScrollBar(Qt::Horizontal);
        m_bars[i]->setObjectName(QLatin1String(kNames[i]) + QLatin1String("Bar"));
        m_bars[i]->setRange(kMinValue, kMaxValue);
        m_bars[i]->setSingleStep(1);
        m_bars[i]->setPageStep(10);
        m_bars[i]->setMinimumWidth(160);
        m_bars[i]->setValue(std::clamp(m_values[i], kMinValue, kMaxValue));
        m_edits[i] = new QLineEdit;
        m_edits[i]->setObjectName(QLatin1String(kNames[i]) + QLatin1String("Edit"));
        m_edits[i]->setMaximumWidth(60);
        m_edits[i]->installEventFilter(this);
        ShowValue(i);
        label->setBuddy(m_edits[i]);
        grid->addWidget(label, i + 1, 0);
        grid->addWidget(m_bars[i], i + 1, 1);
        grid->addWidget(m_edits[i], i + 1, 2);
        if (i == kHue || i == kSaturation) {
            label->setEnabled(false);
            m_bars[i]->setEnabled(false);
            m_edits[i]->setEnabled(false);
        }
        connect(m_bars[i], &QScrollBar::valueChanged, this, &CColorScaleDlg::OnScrolled);
        connect(m_edits[i], &QLineEdit::editingFinished, this, [this, i] { OnValueEdited(i); });
    }

    m_rangePanel = new CRangePanel(range);
    grid->addWidget(m_rangePanel, kValueCount + 1, 0, 1, 3);

    auto* buttons = new QDialogButtonBox(Qt::Vertical);
    buttons->addButton(QDialogButtonBox::Ok);
    buttons->addButton(QDialogButtonBox::Cancel);
    m_defaults = buttons->addButton(QStringLiteral("Defaults"), QDialogButtonBox::ResetRole);
    m_defaults->setObjectName(QStringLiteral("defaultsButton"));
    m_defaults->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &CColorScaleDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CColorScaleDlg::reject);
    connect(m_defaults, &QPushButton::clicked, this, &CColorScaleDlg::OnDefaults);

    // Room for the preview, its frame and the border corner pixels.
    m_preview = new QWidget;
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setFixedSize(2 * kPreviewHalfWidth + 8, kPreviewHeight + 8);
    m_preview->installEventFilter(this);

    auto* side = new QVBoxLayout;
    side->addWidget(buttons);
    side->addSpacing(21);
    side->addWidget(m_preview, 0, Qt::AlignHCenter);
    side->addStretch();

    auto* top = new QHBoxLayout(this);
    top->addLayout(grid, 1);
    top->addLayout(side);

    connect(m_lutCombo, &QComboBox::editTextChanged, this, &CColorScaleDlg::OnLutTextChanged);
    m_edits[kBrightness]->setFocus();
}

ColourScaleValues CColorScaleDlg::Values() const
{
    return {m_values[kBrightness], m_values[kContrast], m_values[kHue], m_values[kSaturation],
            m_szLutName.toLocal8Bit().toStdString()};
}

RangeSettings CColorScaleDlg::Range() const
{
    return m_rangePanel->Settings();
}

void CColorScaleDlg::SetRangeData(std::vector<std::int32_t> measured, int risingMin, int risingMax)
{
    m_rangePanel->SetData(std::move(measured), risingMin, risingMax);
}

void CColorScaleDlg::ShowValue(int which)
{
    m_edits[which]->setText(QString::number(m_values[which]));
}

bool CColorScaleDlg::CheckValueEdit(int which)
{
    // Text that is not wholly a number counts as 0.
    const long long value = WholeNumber(m_edits[which]->text()).value_or(0);
    if (value < kMinValue || value > kMaxValue) {
        m_checking = true;
        m_ui.ShowError(QString::fromLatin1(kErrorCaptions[which]),
                       QStringLiteral("Valid value is %1 to %2").arg(kMinValue).arg(kMaxValue));
        m_checking = false;
        ShowValue(which);
        return false;
    }
    m_values[which] = static_cast<int>(value);
    const QSignalBlocker block(m_bars[which]);
    m_bars[which]->setValue(m_values[which]);
    m_preview->update();
    return true;
}

void CColorScaleDlg::OnValueEdited(int which)
{
    // The message box takes the focus away again; that is not a second edit. Nor is the
    // focus leaving with the dialog when it is cancelled.
    if (!m_checking && !m_bCancelling)
        CheckValueEdit(which);
}

void CColorScaleDlg::OnScrolled()
{
    for (int i = 0; i < kValueCount; ++i) {
        m_values[i] = m_bars[i]->value();
        ShowValue(i);
    }
    m_preview->update();
}

void CColorScaleDlg::OnDefaults()
{
    for (int& value : m_values)
        value = kNeutralBrightnessContrast;
    for (int i : {kBrightness, kContrast}) {
        const QSignalBlocker block(m_bars[i]);
        m_bars[i]->setValue(kNeutralBrightnessContrast);
        ShowValue(i);
    }
    m_preview->update();
}

void CColorScaleDlg::OnLutTextChanged(const QString& text)
{
    if (text.compare(m_szLutName, Qt::CaseInsensitive) == 0)
        return;
    m_szLutName = text;
    // OK reads the file into the document's own table, which stays as it is when the
    // file cannot be read: the preview starts from the same table.
    m_LutColors = m_docLutColors;
    ReadLookupTable(text.toLocal8Bit().toStdString(), m_LutColors);
    m_preview->update();
}

bool CColorScaleDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_preview && event->type() == QEvent::Paint) {
        QPainter painter(m_preview);
        DrawPreview(painter);
        return true;
    }
    // Return in a value edit checks it first and keeps the dialog open when it is wrong.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        for (int i = 0; i < kValueCount; ++i) {
            if (watched == m_edits[i] && (key == Qt::Key_Return || key == Qt::Key_Enter) &&
                !CheckValueEdit(i))
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CColorScaleDlg::DrawPreview(QPainter& painter)
{
    const int cx = m_preview->width() / 2;
    const int top = 3;
    const int left = cx - kPreviewHalfWidth;
    const int right = cx + kPreviewHalfWidth;
    const int bottom = top + kPreviewHeight;
    painter.fillRect(m_preview->rect(), ToQColor(m_colours.background));

    // The 3-pixel Border pen centred one pixel outside the rectangle also covers its edge
    // pixels; the bands leave the right column and the top row to it, so no gap shows.
    painter.fillRect(QRect(QPoint(left - 2, top - 2), QPoint(right + 2, bottom + 2)),
                     ToQColor(m_colours.border));

    ApplyBrightnessContrast(m_LutColors, m_values[kBrightness], m_values[kContrast], m_values[kHue],
                            m_values[kSaturation], m_previewColours);
    // The histogram's bars take the colours being chosen.
    m_rangePanel->SetColours(m_previewColours);
    for (int i = 0; i < 128; ++i)
        painter.fillRect(left, top + kPreviewHeight - i, 2 * kPreviewHalfWidth, 1,
                         ToQColor(m_previewColours[static_cast<std::size_t>(2 * i)]));
}

void CColorScaleDlg::accept()
{
    int values[kValueCount];
    for (int i = 0; i < kValueCount; ++i) {
        const std::optional<long long> number = WholeNumber(m_edits[i]->text());
        const long long value = number.value_or(0);
        const QString problem = !number ? QStringLiteral("Please enter an integer.")
                                : value < kMinValue || value > kMaxValue
                                    ? QStringLiteral("Please enter an integer between %1 and %2.")
                                          .arg(kMinValue)
                                          .arg(kMaxValue)
                                    : QString();
        if (!problem.isEmpty()) {
            m_ui.ShowMessage(problem);
            m_edits[i]->setFocus();
            m_edits[i]->selectAll();
            return;
        }
        values[i] = static_cast<int>(value);
    }
    const QString name = m_lutCombo->currentText();
    if (name.toLocal8Bit().size() > kMaxLutName) {
        m_ui.ShowMessage(
            QStringLiteral("The name of the look-up table may have at most %1 characters.")
                .arg(kMaxLutName));
        m_lutCombo->setFocus();
        return;
    }
    if (!m_rangePanel->Check(m_ui))
        return;
    std::copy(std::begin(values), std::end(values), std::begin(m_values));
    m_szLutName = name;
    QDialog::accept();
}

void CColorScaleDlg::reject()
{
    std::copy(std::begin(m_initialValues), std::end(m_initialValues), std::begin(m_values));
    m_szLutName = m_initialLutName;
    // The edit loses the focus only as the window goes, perhaps after this returns.
    m_bCancelling = true;
    QDialog::reject();
}
