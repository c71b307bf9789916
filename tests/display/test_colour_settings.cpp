#include "base/FixedText.h"
#include "display/ColourSettings.h"
#include "display/ColourTransform.h"
#include "document/CVespiraDoc.h"
#include "tests/common/TestProgram.h"
#include "tests/display/DisplayTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct ColourFixture : ::testing::Test
{
    CFakeHostUi ui;
    CTestProgram state{ui};
    CVespiraDoc doc{state};
    CLutDirectory dir;

    void SetUp() override
    {
        dir.WriteTable("ramp.lut", 64);
        CopyText(doc.m_szLutName, "default");
        doc.m_nBrightness = doc.m_nContrast = doc.m_nHue = doc.m_nSaturation = 127;
    }
};

} // namespace

TEST_F(ColourFixture, UnchangedChoiceChangesNothing)
{
    const ColourTable before = doc.m_DisplayColors;
    EXPECT_FALSE(ApplyColourScaleChoice(doc, state.colours.display, state.services.ui,
                                        {127, 127, 127, 127, "DEFAULT"}));
    EXPECT_EQ(doc.m_DisplayColors, before);
    EXPECT_EQ(ui.waitCount, 0);
}

TEST_F(ColourFixture, NewTableAndValuesReachDocumentAndProgram)
{
    ASSERT_TRUE(ApplyColourScaleChoice(doc, state.colours.display, state.services.ui,
                                       {127, 127, 1, 2, "ramp.lut"}));
    EXPECT_EQ(TextOf(doc.m_szLutName), "ramp.lut");
    EXPECT_EQ(doc.m_LutColors[4], Rgb(1, 2, 3));
    EXPECT_EQ(doc.m_DisplayColors, doc.m_LutColors); // 127/127 leaves it unchanged
    EXPECT_EQ(doc.m_nHue, 1);
    EXPECT_EQ(doc.m_nSaturation, 2);
    EXPECT_EQ(TextOf(state.colours.display.szLutName), "ramp.lut");
    EXPECT_EQ(state.colours.display.lutColors, doc.m_LutColors);
    EXPECT_EQ(state.colours.display.displayColors, doc.m_DisplayColors);
    EXPECT_EQ(state.colours.display.nBrightness, 127);
    EXPECT_EQ(state.colours.display.nHue, 1);
    EXPECT_EQ(ui.waitCount, 1);
    EXPECT_EQ(ui.waitDepth, 0);
}

TEST_F(ColourFixture, MissingTableStillTakesTheName)
{
    const ColourTable lut = doc.m_LutColors;
    ASSERT_TRUE(ApplyColourScaleChoice(doc, state.colours.display, state.services.ui,
                                       {127, 127, 127, 127, "nothing.lut"}));
    EXPECT_EQ(TextOf(doc.m_szLutName), "nothing.lut");
    EXPECT_EQ(doc.m_LutColors, lut);
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(ColourFixture, DragChangesColoursButNotTheProgramLookupTable)
{
    doc.m_LutColors = IndexTable();
    const ColourTable programLut = state.colours.display.lutColors;
    SetDocumentBrightnessContrast(doc, state.colours.display, 0, 127);
    EXPECT_EQ(doc.m_nBrightness, 0);
    EXPECT_EQ(doc.m_DisplayColors[255], 85u);
    EXPECT_EQ(state.colours.display.nBrightness, 0);
    EXPECT_EQ(state.colours.display.nContrast, 127);
    EXPECT_EQ(state.colours.display.displayColors, doc.m_DisplayColors);
    EXPECT_EQ(state.colours.display.lutColors, programLut);
}

TEST_F(ColourFixture, StartupReadsTheNamedTableWithStoredSettings)
{
    CopyText(state.colours.display.szLutName, "ramp.lut");
    state.colours.display.nBrightness = 0;
    state.colours.display.nContrast = 127;
    LoadStartupColours(state.colours.display);
    EXPECT_EQ(state.colours.display.lutColors[4], Rgb(1, 2, 3));
    ColourTable expected{};
    ApplyBrightnessContrast(state.colours.display.lutColors, 0, 127, 0, 0, expected);
    EXPECT_EQ(state.colours.display.displayColors, expected);
}
