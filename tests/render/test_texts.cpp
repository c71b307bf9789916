#include "render/ViewTexts.h"
#include "tests/common/ViewTestSupport.h"

#include <gtest/gtest.h>

struct TextFixture : ViewFixtureBase, ::testing::Test
{};

TEST_F(TextFixture, StatusTextForPointTargetNoneAndDrag)
{
    MakeDoc(5, 3, 0.2f, 0.25f);
    doc->m_fXBeg = -5.0f;
    SetIntensity(1, 2, 1234);
    GridPoint p{1, 2};
    EXPECT_EQ(FormatStatusText(*doc, DragMode::None, &p),
              QStringLiteral("X: -4.8  Y: 0.00  Int: 1234  Time: n/a"));
    SetTime(1, 2, 900.0f);
    EXPECT_EQ(FormatStatusText(*doc, DragMode::Selecting, &p),
              QStringLiteral("X: -4.8  Y: 0.00  Int: 1234  Time: 900"));
    EXPECT_EQ(FormatStatusText(*doc, DragMode::None, nullptr),
              QStringLiteral("X: ?  Y: ?  Int: ?  Time: ?"));
    GridPoint outside{5, 0};
    EXPECT_EQ(FormatStatusText(*doc, DragMode::None, &outside),
              QStringLiteral("X: ?  Y: ?  Int: ?  Time: ?"));
    doc->m_nBrightness = 12;
    doc->m_nContrast = 200;
    EXPECT_EQ(FormatStatusText(*doc, DragMode::ScaleAdjust, &p),
              QStringLiteral("Brightness: 12  Contrast: 200"));
}

TEST(StatisticsText, HoursMinutesAndSeconds)
{
    EXPECT_EQ(StatisticsLines({0, 0.0}), (QStringList{QStringLiteral("Selected Scans Statistics "),
                                                      QStringLiteral("Number of Scans: 0   "),
                                                      QStringLiteral("Total Time: 0:00:00   ")}));
    EXPECT_EQ(StatisticsLines({4, 3725.9}).value(2), QStringLiteral("Total Time: 1:02:05   "));
    EXPECT_EQ(StatisticsLines({1, 360000.0}).value(2), QStringLiteral("Total Time: 100:00:00   "));
    EXPECT_EQ(StatisticsLines({1, 1e300}).value(1), QStringLiteral("Number of Scans: 1   "));
}

TEST_F(TextFixture, HeaderPanelWithAndWithoutBackground)
{
    MakeDoc(2, 2);
    doc->m_fMeasTime = 10.0f;
    doc->m_nKV = 40;
    doc->m_nMA = 50;
    doc->m_fDetDistance = 105.55f;
    doc->m_fBeamX = 512.0f;
    doc->m_fBeamY = 498.25f;
    doc->m_nImageSize = 1024;
    std::vector<PanelLine> lines = HeaderLines(*doc);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].line, 5);
    EXPECT_EQ(lines[0].text, QStringLiteral("Header Information "));
    EXPECT_EQ(lines[1].text, QStringLiteral("Meas. Time: 10.0 sec   "));
    EXPECT_EQ(lines[2].text, QStringLiteral("KV: 40  MA: 50   "));
    EXPECT_EQ(lines[4].text, QStringLiteral("Beam center: 512.0 498.2   "));
    EXPECT_EQ(lines[5].line, 10);
    EXPECT_EQ(lines[5].text, QStringLiteral("Image size: 1024   "));

    std::strcpy(doc->m_szBackgroundFile, "bg.rad");
    doc->m_fBackgroundTime = 5.0f;
    doc->m_fBackgroundX = -3.7f;
    doc->m_fBackgroundY = 2.9f;
    doc->m_nBackgroundKV = 30;
    doc->m_nBackgroundMA = 20;
    lines = HeaderLines(*doc);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[6].line, 12); // one empty line between the blocks
    EXPECT_EQ(lines[6].text, QStringLiteral("Background Information "));
    EXPECT_EQ(lines[7].text, QStringLiteral("File: bg.rad"));
    EXPECT_EQ(lines[8].text, QStringLiteral("Meas. Time: 5.0 sec   "));
    EXPECT_EQ(lines[9].text, QStringLiteral("X: -3  Y: 2   "));
    EXPECT_EQ(lines[10].line, 16);
    EXPECT_EQ(lines[10].text, QStringLiteral("KV: 30  MA: 20   "));
}

TEST_F(TextFixture, AxisValuesFollowTheOrientation)
{
    MakeDoc(11, 5, 0.2f, 0.5f);
    doc->m_fXBeg = -5.0f;
    const CellWindow window{2, 9, 1, 3};
    AxisTexts texts = MakeAxisTexts(*doc, window, 0);
    EXPECT_EQ(texts.xLeft, QStringLiteral("-4.6"));
    EXPECT_EQ(texts.xRight, QStringLiteral("-3.2"));
    EXPECT_EQ(texts.xCaption, QStringLiteral("d = 0.2 [mm]"));
    // Y counts up from Y beginning at the last row: row 3 is 0.5, row 1 is 1.5.
    EXPECT_EQ(texts.yBottom, QStringLiteral("0.5"));
    EXPECT_EQ(texts.yTop, QStringLiteral("1.5"));
    EXPECT_EQ(texts.yCaption, QStringLiteral("d = 0.5 [mm]"));

    texts = MakeAxisTexts(*doc, window, 1);
    EXPECT_EQ(texts.xLeft, QStringLiteral("-3.2"));
    EXPECT_EQ(texts.yBottom, QStringLiteral("0.5"));
    texts = MakeAxisTexts(*doc, window, 2);
    EXPECT_EQ(texts.xRight, QStringLiteral("-4.6"));
    EXPECT_EQ(texts.yBottom, QStringLiteral("1.5"));
    EXPECT_EQ(MakeAxisTexts(*doc, CellWindow{0, 0, 0, 0}, 0).xLeft, QStringLiteral("-5.0"));
}

TEST(AxisPlacement, XCaptionBetweenBelowOrShort)
{
    const QRect image(37, 20, 200, 100); // bottom 119, right 236
    XAxisSizes sizes{20, 20, 60, 15, 25, 15};
    XAxisPlacement place = PlaceXAxisTexts(image, sizes);
    EXPECT_EQ(place.left, QPoint(37, 122));
    EXPECT_EQ(place.right, QPoint(236 - 20 + 1, 122));
    EXPECT_FALSE(place.shortCaption);
    EXPECT_EQ(place.caption, QPoint(37 - 1 + 70, 122));

    // Values too wide to leave room between them: the caption drops a line.
    sizes.leftWidth = sizes.rightWidth = 80;
    place = PlaceXAxisTexts(image, sizes);
    EXPECT_FALSE(place.shortCaption);
    EXPECT_EQ(place.caption, QPoint(106, 137));

    // A narrow image: "[mm]" between the values, or below them.
    const QRect narrow(37, 20, 70, 100);
    sizes = {10, 10, 90, 15, 25, 15};
    place = PlaceXAxisTexts(narrow, sizes);
    EXPECT_TRUE(place.shortCaption);
    EXPECT_EQ(place.caption, QPoint(37 - 1 + 22, 122));
    sizes.leftWidth = sizes.rightWidth = 25;
    place = PlaceXAxisTexts(narrow, sizes);
    EXPECT_TRUE(place.shortCaption);
    EXPECT_EQ(place.caption.y(), 137);
    // Wider than the image it still gets a place (cut by the window).
    place = PlaceXAxisTexts(QRect(37, 20, 3, 3), sizes);
    EXPECT_TRUE(place.shortCaption);
    EXPECT_EQ(place.caption, QPoint(37 - 1 + (3 - 25) / 2, 40));
}

TEST(AxisPlacement, YCaptionOnlyWhenItFits)
{
    const QRect image(37, 20, 200, 300); // bottom 319
    YAxisPlacement place = PlaceYAxisTexts(image, {15, 30, 30, 80});
    EXPECT_EQ(place.bottom, QPoint(37 - 15 - 2, 319));
    EXPECT_EQ(place.top, QPoint(20, 50));
    EXPECT_TRUE(place.captionShown);
    EXPECT_EQ(place.caption.y(), 20 + (300 + 80) / 2);
    EXPECT_FALSE(PlaceYAxisTexts(QRect(37, 20, 200, 120), {15, 30, 30, 80}).captionShown);
}
