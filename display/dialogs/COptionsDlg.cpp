#include "display/dialogs/COptionsDlg.h"

#include "display/ColourSettings.h"
#include "display/ColourTransform.h"
#include "display/dialogs/WholeNumber.h"
#include "document/IHostUi.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace {

constexpr int kMinComponent = 0;
constexpr int kMaxComponent = 255;
// The swatch: a 5-pixel pen around a 4 x 12 path covers about 9 x 17 pixels.
constexpr QSize kSwatchSize(9, 17);
// Its edge, so a colour as light as the dialog (white) still shows where it is.
const QColor kSwatchEdge(0x80, 0x80, 0x80);

const char* const kTitles[] = {"Border",          "Selected targets", "Active target",
                               "Foreground Text", "Background Text",  "Not measured"};
const char* const kNames[] = {"border",     "selection",  "activeTarget",
                              "foreground", "background", "notMeasured"};
const char* const kComponents[] = {"Red", "Green", "Blue"};
const char* const kComponentLabels[] = {"R", "G", "B"};

COLORREF* SettingOf(ProgramColours& colours, int group)
{
    COLORREF* const settings[] = {&colours.border,     &colours.selection,  &colours.activeTarget,
                                  &colours.foreground, &colours.background, &colours.notMeasured};
    return settings[group];
}

int ComponentOf(COLORREF colour, int component)
{
    return static_cast<int>((colour >> (8 * component)) & 0xFFu);
}

COLORREF WithComponent(COLORREF colour, int component, int value)
{
    const int shift = 8 * component;
    return (colour & ~(0xFFu << shift)) | (static_cast<COLORREF>(value) << shift);
}

} // namespace

COptionsDlg::COptionsDlg(ProgramColours& colours, IHostUi& ui, QWidget* parent)
    : QDialog(parent), m_programColours(colours), m_ui(ui)
{
    setWindowTitle(QStringLiteral("Options"));
    auto* top = new QVBoxLayout(this);
    for (int g = 0; g < kGroupCount; ++g) {
        m_colours[g] = *SettingOf(m_programColours, g) & 0xFFFFFFu;
        auto* box = new QGroupBox(QString::fromLatin1(kTitles[g]));
        box->setObjectName(QLatin1String(kNames[g]) + QLatin1String("Group"));
        auto* grid = new QGridLayout(box);
        m_swatches[g] = new QWidget;
        m_swatches[g]->setObjectName(QLatin1String(kNames[g]) + QLatin1String("Swatch"));
        m_swatches[g]->setFixedSize(kSwatchSize);
        m_swatches[g]->installEventFilter(this);
        grid->addWidget(m_swatches[g], 0, 0, kComponentCount, 1, Qt::AlignCenter);
        for (int c = 0; c < kComponentCount; ++c) {
            const QString name = QLatin1String(kNames[g]) + QLatin1String(kComponents[c]);
            QLineEdit* edit = m_edits[g][c] = new QLineEdit;
            edit->setObjectName(name + QLatin1String("Edit"));
            edit->setAccessibleName(QStringLiteral("%1 %2").arg(QLatin1String(kTitles[g]),
                                                                QLatin1String(kComponents[c])));
            edit->setMaximumWidth(48);
            edit->installEventFilter(this);
            QSlider* slider = m_sliders[g][c] = new QSlider(Qt::Horizontal);
            slider->setObjectName(name + QLatin1String("Slider"));
            slider->setAccessibleName(edit->accessibleName());
            slider->setRange(kMinComponent, kMaxComponent);
            slider->setTickPosition(QSlider::NoTicks);
            slider->setMinimumWidth(128);
            ShowComponent(g, c);
            slider->setValue(ComponentOf(m_colours[g], c));
            auto* label = new QLabel(QString::fromLatin1(kComponentLabels[c]));
            label->setObjectName(name + QLatin1String("Label"));
            label->setBuddy(edit);
            grid->addWidget(label, c, 1);
            grid->addWidget(edit, c, 2);
            grid->addWidget(slider, c, 3);
            connect(edit, &QLineEdit::editingFinished, this,
                    [this, g, c] { OnEditFinished(g, c); });
            connect(slider, &QSlider::valueChanged, this, [this, g, c] { OnSliderMoved(g, c); });
        }
        top->addWidget(box);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptionsDlg::reject);
    top->addWidget(buttons);
}

void COptionsDlg::ShowComponent(int group, int component)
{
    m_edits[group][component]->setText(QString::number(ComponentOf(m_colours[group], component)));
}

bool COptionsDlg::ValidateComponent(int group, int component, bool moveSlider)
{
    // Text that is not wholly a number counts as 0.
    const long long value = WholeNumber(m_edits[group][component]->text()).value_or(0);
    bool accepted = false;
    if (value < kMinComponent || value > kMaxComponent) {
        m_checking = true;
        m_ui.ShowError(QStringLiteral("RGB Input Error"),
                       QStringLiteral("Valid RGB values range from %1 to %2")
                           .arg(kMinComponent)
                           .arg(kMaxComponent));
        m_checking = false;
        ShowComponent(group, component);
    } else {
        m_colours[group] = WithComponent(m_colours[group], component, static_cast<int>(value));
        if (moveSlider) {
            const QSignalBlocker block(m_sliders[group][component]);
            m_sliders[group][component]->setValue(static_cast<int>(value));
        }
        accepted = true;
    }
    m_swatches[group]->update();
    return accepted;
}

void COptionsDlg::OnEditFinished(int group, int component)
{
    // The message box takes the focus away again; that is not a second edit.
    if (!m_checking)
        ValidateComponent(group, component, true);
}

void COptionsDlg::OnSliderMoved(int group, int component)
{
    m_edits[group][component]->setText(QString::number(m_sliders[group][component]->value()));
    ValidateComponent(group, component, false);
}

bool COptionsDlg::eventFilter(QObject* watched, QEvent* event)
{
    for (int g = 0; g < kGroupCount; ++g) {
        if (watched == m_swatches[g] && event->type() == QEvent::Paint) {
            QPainter painter(m_swatches[g]);
            painter.fillRect(m_swatches[g]->rect(), ToQColor(m_colours[g]));
            painter.setPen(kSwatchEdge);
            painter.drawRect(m_swatches[g]->rect().adjusted(0, 0, -1, -1));
            return true;
        }
        // Return in an edit takes its number first and keeps the dialog open when it is
        // refused.
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            for (int c = 0; c < kComponentCount; ++c)
                if (watched == m_edits[g][c] && (key == Qt::Key_Return || key == Qt::Key_Enter) &&
                    !ValidateComponent(g, c, true))
                    return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void COptionsDlg::accept()
{
    // An edit typed into and not yet left is taken (or refused) before the colours go.
    for (int g = 0; g < kGroupCount; ++g)
        for (int c = 0; c < kComponentCount; ++c)
            if (m_edits[g][c]->text() != QString::number(ComponentOf(m_colours[g], c)) &&
                !ValidateComponent(g, c, true)) {
                m_edits[g][c]->setFocus();
                return;
            }
    for (int g = 0; g < kGroupCount; ++g)
        *SettingOf(m_programColours, g) = m_colours[g];
    QDialog::accept();
}
