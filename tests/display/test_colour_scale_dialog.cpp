#include "display/dialogs/CColorScaleDlg.h"
#include "tests/common/TestProgram.h"
#include "tests/display/DisplayTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

struct DialogFixture : ::testing::Test
{
    CCaptionUi ui;
    CTestProgram state{ui};
    CLutDirectory dir;
    std::unique_ptr<CColorScaleDlg> dlg;

    void Open(const ColourScaleValues& values = {10, 20, 30, 40, "default"})
    {
        dlg = std::make_unique<CColorScaleDlg>(state.colours, state.services.ui, values,
                                               IndexTable());
    }
    template <typename T>
    T* Child(const char* name)
    {
        T* child = dlg->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QLineEdit* Edit(const char* name) { return Child<QLineEdit>(name); }
    QScrollBar* Bar(const char* name) { return Child<QScrollBar>(name); }
    // The colour of the preview's lowest band.
    QRgb PreviewBottom()
    {
        QWidget* preview = Child<QWidget>("preview");
        const QImage image = preview->grab().toImage();
        return image.pixel(image.width() / 2, image.height() - 6) & 0xFFFFFF;
    }
};

} // namespace

TEST_F(DialogFixture, OpensWithTheDocumentsValuesAndTables)
{
    dir.WriteTable("b.lut", 64);
    dir.WriteTable("A.lut", 64);
    Open();
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Color Intensity Scale"));
    EXPECT_EQ(Edit("brightnessEdit")->text(), QStringLiteral("10"));
    EXPECT_EQ(Edit("contrastEdit")->text(), QStringLiteral("20"));
    EXPECT_EQ(Edit("hueEdit")->text(), QStringLiteral("30"));
    EXPECT_EQ(Bar("saturationBar")->value(), 40);
    EXPECT_EQ(Bar("brightnessBar")->maximum(), 255);
    EXPECT_FALSE(Edit("hueEdit")->isEnabled());
    EXPECT_FALSE(Bar("saturationBar")->isEnabled());
    QComboBox* combo = Child<QComboBox>("lutCombo");
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("A.lut"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("default"));
    EXPECT_EQ(dlg->focusWidget(), Edit("brightnessEdit"));
}

TEST_F(DialogFixture, OutOfRangeEntryIsRefusedWithItsCaption)
{
    Open();
    QLineEdit* brightness = Edit("brightnessEdit");
    brightness->setText(QStringLiteral("300"));
    emit brightness->editingFinished();
    ASSERT_EQ(ui.captions, QStringList{QStringLiteral("Brightness Error")});
    EXPECT_EQ(ui.messages.value(0), QStringLiteral("Valid value is 0 to 255"));
    EXPECT_EQ(brightness->text(), QStringLiteral("10"));
    EXPECT_EQ(dlg->Values().brightness, 10);

    QLineEdit* contrast = Edit("contrastEdit");
    contrast->setText(QStringLiteral("-1"));
    emit contrast->editingFinished();
    EXPECT_EQ(ui.captions.value(1), QStringLiteral("Contrast Error"));
}

TEST_F(DialogFixture, EntryInRangeMovesTheBarAndPreview)
{
    Open({127, 127, 0, 0, "default"});
    const QRgb before = PreviewBottom();
    QLineEdit* brightness = Edit("brightnessEdit");
    brightness->setText(QStringLiteral("255"));
    emit brightness->editingFinished();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(Bar("brightnessBar")->value(), 255);
    EXPECT_EQ(dlg->Values().brightness, 255);
    // At brightness 255 even the lowest band shows the top of the table.
    EXPECT_NE(PreviewBottom(), before);
    EXPECT_EQ(PreviewBottom(), 0xFF0000u); // look-up entry 255 is the value 0x0000FF
}

TEST_F(DialogFixture, TextThatIsNotANumberCountsAsZero)
{
    Open();
    QLineEdit* contrast = Edit("contrastEdit");
    contrast->setText(QStringLiteral("abc"));
    emit contrast->editingFinished();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(dlg->Values().contrast, 0);
}

TEST_F(DialogFixture, ScrollingToTheRightEndGives255)
{
    Open();
    Bar("brightnessBar")->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(Edit("brightnessEdit")->text(), QStringLiteral("255"));
    Bar("contrastBar")->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(Edit("contrastEdit")->text(), QStringLiteral("30"));
    Bar("contrastBar")->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(dlg->Values().contrast, 29);
    EXPECT_EQ(dlg->Values().brightness, 255);
}

TEST_F(DialogFixture, DefaultsSetBrightnessAndContrastOnScreen)
{
    Open();
    Child<QPushButton>("defaultsButton")->click();
    EXPECT_EQ(Edit("brightnessEdit")->text(), QStringLiteral("127"));
    EXPECT_EQ(Bar("contrastBar")->value(), 127);
    EXPECT_EQ(Edit("hueEdit")->text(), QStringLiteral("30"));
    dlg->accept();
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    const ColourScaleValues values = dlg->Values();
    EXPECT_EQ(values.brightness, 127);
    EXPECT_EQ(values.contrast, 127);
    EXPECT_EQ(values.hue, 30); // the hue edit kept what it showed
}

TEST_F(DialogFixture, OkChecksEveryValue)
{
    Open();
    Edit("contrastEdit")->setText(QStringLiteral("12x"));
    dlg->accept();
    EXPECT_EQ(ui.messages.value(0), QStringLiteral("Please enter an integer."));
    EXPECT_NE(dlg->result(), QDialog::Accepted);
    Edit("contrastEdit")->setText(QStringLiteral("256"));
    dlg->accept();
    EXPECT_EQ(ui.messages.value(1), QStringLiteral("Please enter an integer between 0 and 255."));
    EXPECT_NE(dlg->result(), QDialog::Accepted);
    Edit("contrastEdit")->setText(QStringLiteral(" 200 "));
    dlg->accept();
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(dlg->Values().contrast, 200);
}

TEST_F(DialogFixture, CancelGivesBackWhatWasOpened)
{
    dir.WriteTable("ramp.lut", 64);
    Open();
    Bar("brightnessBar")->triggerAction(QAbstractSlider::SliderToMaximum);
    Child<QComboBox>("lutCombo")->setEditText(QStringLiteral("ramp.lut"));
    dlg->reject();
    const ColourScaleValues values = dlg->Values();
    EXPECT_EQ(values.brightness, 10);
    EXPECT_EQ(values.lutName, "default");
}

TEST_F(DialogFixture, ChosenTableIsPreviewedAndReturned)
{
    // Colour 0 of this table is blue, so the lowest band turns blue.
    std::string text = "h\nh\n0 0 255\n";
    for (int k = 1; k < 64; ++k)
        text += "0 255 0\n";
    dir.Write("Blue.lut", text);
    Open({127, 127, 0, 0, "default"});
    QComboBox* combo = Child<QComboBox>("lutCombo");
    combo->setCurrentIndex(combo->findText(QStringLiteral("Blue.lut")));
    EXPECT_EQ(PreviewBottom(), 0x0000FFu);
    dlg->accept();
    EXPECT_EQ(dlg->Values().lutName, "Blue.lut");
}

TEST_F(DialogFixture, OverlongTableNameIsRefusedNotCut)
{
    Open();
    Child<QComboBox>("lutCombo")->setEditText(QString(64, QLatin1Char('n')));
    dlg->accept();
    EXPECT_NE(dlg->result(), QDialog::Accepted);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].contains(QStringLiteral("63")));
    Child<QComboBox>("lutCombo")->setEditText(QString(63, QLatin1Char('n')));
    dlg->accept();
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(dlg->Values().lutName.size(), 63u);
}

TEST_F(DialogFixture, ReturnOnAWrongValueKeepsTheDialogOpen)
{
    Open();
    QLineEdit* brightness = Edit("brightnessEdit");
    brightness->setText(QStringLiteral("999"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(brightness, &enter);
    EXPECT_EQ(ui.captions, QStringList{QStringLiteral("Brightness Error")});
    EXPECT_NE(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(brightness->text(), QStringLiteral("10"));
}

TEST_F(DialogFixture, PreviewFrameTouchesTheBandsWithoutAGap)
{
    state.colours.border = Rgb(0, 128, 0);
    state.colours.background = Rgb(250, 250, 250);
    Open({127, 127, 0, 0, "default"});
    const QImage image = Child<QWidget>("preview")->grab().toImage();
    auto at = [&](int x, int y) { return image.pixel(x, y) & 0xFFFFFFu; };
    const int cx = image.width() / 2;
    const int top = 3; // the bands fill 30 pixels from cx - 15, rows top + 1 to top + 128
    const QRgb border = 0x008000u;
    const QRgb band64 = 0x800000u; // entry 128 of the unchanged index table
    EXPECT_EQ(at(cx - 15, top + 64), band64);
    EXPECT_EQ(at(cx + 14, top + 64), band64);
    // The pen one pixel outside covers the edge pixels the bands leave: the right column
    // and the top row show the Border colour, never the background.
    EXPECT_EQ(at(cx + 15, top + 64), border);
    EXPECT_EQ(at(cx, top), border);
    EXPECT_EQ(at(cx + 17, top + 64), border);
    EXPECT_EQ(at(cx - 17, top + 64), border);
    EXPECT_EQ(at(cx, top + 130), border);
    EXPECT_EQ(at(cx + 18, top + 64), 0xFAFAFAu);
}

TEST_F(DialogFixture, ANumberTooLongFor64BitsIsOutOfRange)
{
    Open();
    QLineEdit* brightness = Edit("brightnessEdit");
    for (const char* text : {"99999999999999999999", "-99999999999999999999"}) {
        brightness->setText(QString::fromLatin1(text));
        emit brightness->editingFinished();
        EXPECT_EQ(brightness->text(), QStringLiteral("10")) << text;
    }
    EXPECT_EQ(ui.captions, QStringList(2, QStringLiteral("Brightness Error")));
    EXPECT_EQ(dlg->Values().brightness, 10);
    Edit("contrastEdit")->setText(QStringLiteral("123456789012345678901234567890"));
    dlg->accept();
    EXPECT_EQ(ui.messages.value(2), QStringLiteral("Please enter an integer between 0 and 255."));
    EXPECT_NE(dlg->result(), QDialog::Accepted);
}

TEST_F(DialogFixture, EscapeWithAWrongValueClosesWithoutAMessage)
{
    Open();
    dlg->show();
    dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    QLineEdit* brightness = Edit("brightnessEdit");
    brightness->setFocus();
    brightness->setText(QStringLiteral("300"));
    QTest::keyClick(brightness, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(dlg->Values().brightness, 10);
}

TEST_F(DialogFixture, PreviewShowsTheDocumentsTableWhenTheNameCannotBeRead)
{
    std::string text = "h\nh\n";
    for (int k = 0; k < 64; ++k)
        text += "0 0 255\n";
    dir.Write("b.lut", text);
    Open({127, 127, 0, 0, "default"});
    const QRgb own = PreviewBottom();
    QComboBox* combo = Child<QComboBox>("lutCombo");
    // Typed letter by letter: "b.lut" is read on the way to a name that cannot be.
    combo->setEditText(QStringLiteral("b.lut"));
    EXPECT_EQ(PreviewBottom(), 0x0000FFu);
    combo->setEditText(QStringLiteral("b.lutx"));
    EXPECT_EQ(PreviewBottom(), own);
}
