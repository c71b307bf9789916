#include "display/dialogs/COptionsDlg.h"
#include "display/dialogs/COrientationDlg.h"
#include "display/dialogs/CSelectionPropertiesDlg.h"
#include "tests/common/TestProgram.h"
#include "tests/display/DisplayTestSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct DialogsFixture : ::testing::Test
{
    CCaptionUi ui;
    CTestProgram state{ui};

    // Types text into an edit and moves the focus on, as leaving the edit does.
    static void Enter(QLineEdit* edit, const QString& text)
    {
        edit->setText(text);
        emit edit->editingFinished();
    }
    static QRgb SwatchColour(QWidget* swatch)
    {
        const QImage image = swatch->grab().toImage();
        return image.pixel(image.width() / 2, image.height() / 2) & 0xFFFFFFu;
    }
};

constexpr int kRed = 0;
constexpr int kGreen = 1;
constexpr int kBlue = 2;

} // namespace

TEST_F(DialogsFixture, OptionsRefusesAComponentOutsideTheRangeAndKeepsTheLastNumber)
{
    state.colours.border = Rgb(128, 0, 0);
    COptionsDlg dlg(state.colours, state.services.ui);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Options"));
    QLineEdit* red = dlg.Edit(COptionsDlg::kBorder, kRed);
    EXPECT_EQ(red->text(), QStringLiteral("128"));
    EXPECT_EQ(dlg.Slider(COptionsDlg::kBorder, kRed)->value(), 128);
    const QRgb swatch = SwatchColour(dlg.Swatch(COptionsDlg::kBorder));
    EXPECT_EQ(swatch, 0x800000u);

    for (const char* bad : {"256", "-1", "99999999999"}) {
        Enter(red, QString::fromLatin1(bad));
        EXPECT_EQ(red->text(), QStringLiteral("128")) << bad;
    }
    ASSERT_EQ(ui.messages.size(), 3);
    EXPECT_EQ(ui.messages.front(), QStringLiteral("Valid RGB values range from 0 to 255"));
    EXPECT_EQ(ui.captions.front(), QStringLiteral("RGB Input Error"));
    EXPECT_EQ(dlg.Colour(COptionsDlg::kBorder), Rgb(128, 0, 0));
    EXPECT_EQ(SwatchColour(dlg.Swatch(COptionsDlg::kBorder)), swatch);

    // Text that is not wholly a number counts as 0; the bounds themselves are accepted.
    Enter(red, QStringLiteral("12x"));
    EXPECT_EQ(dlg.Colour(COptionsDlg::kBorder), Rgb(0, 0, 0));
    Enter(dlg.Edit(COptionsDlg::kBorder, kBlue), QStringLiteral("255"));
    EXPECT_EQ(dlg.Colour(COptionsDlg::kBorder), Rgb(0, 0, 255));
    EXPECT_EQ(dlg.Slider(COptionsDlg::kBorder, kBlue)->value(), 255);
    EXPECT_EQ(SwatchColour(dlg.Swatch(COptionsDlg::kBorder)), 0x0000FFu);
    EXPECT_EQ(ui.messages.size(), 3);
    EXPECT_EQ(state.colours.border, Rgb(128, 0, 0)); // only OK stores
}

TEST_F(DialogsFixture, OptionsRefusesANumberTooLongFor64BitsAsOutOfRange)
{
    state.colours.border = Rgb(128, 0, 0);
    COptionsDlg dlg(state.colours, state.services.ui);
    QLineEdit* red = dlg.Edit(COptionsDlg::kBorder, kRed);
    for (const char* bad : {"99999999999999999999", "-99999999999999999999"}) {
        Enter(red, QString::fromLatin1(bad));
        EXPECT_EQ(red->text(), QStringLiteral("128")) << bad;
    }
    EXPECT_EQ(ui.messages, QStringList(2, QStringLiteral("Valid RGB values range from 0 to 255")));
    EXPECT_EQ(dlg.Colour(COptionsDlg::kBorder), Rgb(128, 0, 0));
}

TEST_F(DialogsFixture, OptionsLabelsEachRowAndEdgesTheSwatch)
{
    state.colours.background = Rgb(255, 255, 255);
    COptionsDlg dlg(state.colours, state.services.ui);
    const char* const names[] = {"Red", "Green", "Blue"};
    const char* const labels[] = {"R", "G", "B"};
    for (int c = 0; c < 3; ++c) {
        auto* label = dlg.findChild<QLabel*>(QStringLiteral("background%1Label").arg(names[c]));
        ASSERT_NE(label, nullptr) << names[c];
        EXPECT_EQ(label->text(), QLatin1String(labels[c]));
        EXPECT_EQ(label->buddy(), dlg.Edit(COptionsDlg::kBackground, c));
    }

    // A white swatch on a light dialog: its edge shows, its inside is the colour itself.
    const QImage image = dlg.Swatch(COptionsDlg::kBackground)->grab().toImage();
    EXPECT_EQ(SwatchColour(dlg.Swatch(COptionsDlg::kBackground)), 0xFFFFFFu);
    for (const QPoint corner : {QPoint(0, 0), QPoint(image.width() - 1, image.height() - 1)}) {
        const QColor edge = image.pixelColor(corner);
        EXPECT_LT(edge.lightness(), 200) << corner.x() << "," << corner.y();
    }
}

TEST_F(DialogsFixture, OptionsSliderShowsItsNumberAndRedrawsTheSwatch)
{
    state.colours.activeTarget = Rgb(255, 0, 0);
    COptionsDlg dlg(state.colours, state.services.ui);
    dlg.Slider(COptionsDlg::kActiveTarget, kGreen)->setValue(255);
    EXPECT_EQ(dlg.Edit(COptionsDlg::kActiveTarget, kGreen)->text(), QStringLiteral("255"));
    EXPECT_EQ(dlg.Colour(COptionsDlg::kActiveTarget), Rgb(255, 255, 0));
    EXPECT_EQ(SwatchColour(dlg.Swatch(COptionsDlg::kActiveTarget)), 0xFFFF00u);
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(DialogsFixture, OptionsOkStoresAllFiveAndCancelNone)
{
    const COLORREF before[] = {state.colours.border, state.colours.selection,
                               state.colours.activeTarget, state.colours.foreground,
                               state.colours.background};
    {
        COptionsDlg dlg(state.colours, state.services.ui);
        for (int g = 0; g < COptionsDlg::kGroupCount; ++g)
            for (int c = 0; c < 3; ++c)
                Enter(dlg.Edit(g, c), QString::number(10 * g + c + 1));
        dlg.reject();
    }
    EXPECT_EQ(state.colours.border, before[0]);
    EXPECT_EQ(state.colours.selection, before[1]);
    EXPECT_EQ(state.colours.activeTarget, before[2]);
    EXPECT_EQ(state.colours.foreground, before[3]);
    EXPECT_EQ(state.colours.background, before[4]);

    COptionsDlg dlg(state.colours, state.services.ui);
    for (int c = 0; c < 3; ++c)
        Enter(dlg.Edit(COptionsDlg::kBackground, c), QStringLiteral("0"));
    dlg.Slider(COptionsDlg::kSelection, kRed)->setValue(7);
    // Typed and not yet left when OK is pressed: still taken.
    dlg.Edit(COptionsDlg::kForeground, kBlue)->setText(QStringLiteral("200"));
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(state.colours.background, Rgb(0, 0, 0));
    EXPECT_EQ(state.colours.selection, (before[1] & 0xFFFF00u) | 7u);
    EXPECT_EQ(BlueOf(state.colours.foreground), 200);
    EXPECT_EQ(state.colours.border, before[0]);
}

TEST_F(DialogsFixture, OptionsReturnOnAWrongNumberKeepsTheDialogOpen)
{
    COptionsDlg dlg(state.colours, state.services.ui);
    dlg.show();
    QLineEdit* green = dlg.Edit(COptionsDlg::kSelection, kGreen);
    const QString before = green->text();
    green->setText(QStringLiteral("300"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(green, &enter);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(green->text(), before);
    EXPECT_EQ(ui.messages.size(), 1);

    // The same through OK with the wrong text still in the edit.
    green->setText(QStringLiteral("300"));
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(ui.messages.size(), 2);
}

TEST_F(DialogsFixture, OrientationShowsTheCurrentValueAndOkTakesTheChoice)
{
    state.view.orientation = 2;
    {
        COrientationDlg dlg(state.view);
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Orientation"));
        EXPECT_TRUE(dlg.Button(2)->isChecked());
        EXPECT_EQ(dlg.Button(2)->text(), QStringLiteral("-X,-Y"));
        dlg.Button(3)->setChecked(true);
        dlg.reject();
    }
    EXPECT_EQ(state.view.orientation, 2);
    {
        COrientationDlg dlg(state.view);
        dlg.Button(3)->setChecked(true);
        EXPECT_FALSE(dlg.Button(2)->isChecked());
        dlg.accept();
    }
    EXPECT_EQ(state.view.orientation, 3);

    state.view.orientation = 7;
    COrientationDlg dlg(state.view);
    for (int i = 0; i < COrientationDlg::kOrientationCount; ++i)
        EXPECT_FALSE(dlg.Button(i)->isChecked()) << i;
    dlg.accept();
    EXPECT_EQ(state.view.orientation, 7);
}

TEST_F(DialogsFixture, SelectionPropertiesShowsWholeSecondsAndKeepsTheExactTime)
{
    {
        CSelectionPropertiesDlg dlg(state.tools.defaultScanTime, state.services.ui);
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Radiography Selection Properties"));
        auto* edit = dlg.findChild<QLineEdit*>(QStringLiteral("scanTimeEdit"));
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text(), QStringLiteral("900"));
        EXPECT_EQ(dlg.focusWidget(), edit);
        edit->setText(QStringLiteral("12.6"));
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    EXPECT_EQ(state.tools.defaultScanTime, 12.6f);
    CSelectionPropertiesDlg dlg(state.tools.defaultScanTime, state.services.ui);
    auto* edit = dlg.findChild<QLineEdit*>(QStringLiteral("scanTimeEdit"));
    EXPECT_EQ(edit->text(), QStringLiteral("13"));
    edit->setText(QStringLiteral("50"));
    dlg.reject();
    EXPECT_EQ(state.tools.defaultScanTime, 12.6f);
}

TEST_F(DialogsFixture, SelectionPropertiesRefusesTimesOutsideTheirRange)
{
    CSelectionPropertiesDlg dlg(state.tools.defaultScanTime, state.services.ui);
    dlg.show();
    auto* edit = dlg.findChild<QLineEdit*>(QStringLiteral("scanTimeEdit"));
    const char* bad[] = {"0.5", "0.8", "0", "-5", "abc", "", "1e999", "1e30", "1000000.5"};
    for (const char* text : bad) {
        edit->setText(QString::fromLatin1(text));
        dlg.accept();
        EXPECT_TRUE(dlg.isVisible()) << text;
        EXPECT_EQ(edit->text(), QString::fromLatin1(text));
        EXPECT_EQ(state.tools.defaultScanTime, 900.0f) << text;
    }
    EXPECT_EQ(ui.messages,
              QStringList(std::size(bad), QStringLiteral("Scan time must be greater than 0.9 and "
                                                         "at most 1000000 seconds")));

    using P = CSelectionPropertiesDlg;
    EXPECT_EQ(P::ParseScanTime(QStringLiteral("1e3")), 1000.0f);
    EXPECT_EQ(P::ParseScanTime(QStringLiteral("0.9")), 0.9f);
    EXPECT_EQ(P::ParseScanTime(QStringLiteral(" \t 30s")), 30.0f);
    EXPECT_EQ(P::ParseScanTime(QStringLiteral("+7.5.3")), 7.5f);
    // Only 63 characters are read: the second digit here is the 64th.
    EXPECT_EQ(P::ParseScanTime(QString(61, QLatin1Char(' ')) + QStringLiteral("250")), 25.0f);
    EXPECT_FALSE(P::ParseScanTime(QStringLiteral("nan")));
    EXPECT_EQ(P::ParseScanTime(QStringLiteral("1e6")), 1'000'000.0f);
    EXPECT_FALSE(P::ParseScanTime(QStringLiteral("1000001")));
}
