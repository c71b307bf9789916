#include "display/ColourTransform.h"
#include "document/CVespiraDoc.h"
#include "render/PrintedPage.h"
#include "tests/common/CFakeHostUi.h"
#include "tests/common/PdfContent.h"
#include "tests/common/TestProgram.h"

#include <QBuffer>
#include <QFont>
#include <QPdfWriter>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr COLORREF kOverlay = Rgb(255, 0, 255);

// A disc-sized pattern whose neighbouring cells differ strongly, with single targets.
struct PrintedPdf : ::testing::Test
{
    CFakeHostUi ui;
    CTestProgram state{ui};
    std::unique_ptr<CVespiraDoc> doc;
    static constexpr int kSide = 41;

    void SetUp() override
    {
        doc = std::make_unique<CVespiraDoc>(state);
        ASSERT_TRUE(doc->SetUpGrid({kSide, kSide, 0.0f, 8.0f, 0.2f, 0.0f, 8.0f, 0.2f}));
        for (int row = 0; row < kSide; ++row)
            for (int col = 0; col < kSide; ++col)
                doc->m_pIntensity[static_cast<std::size_t>(doc->IndexOf(col, row))] =
                    (col * 37 + row * 101) % 256;
        doc->m_nMaxIntensity = 255;
        for (std::size_t i = 0; i < 256; ++i)
            doc->m_DisplayColors[i] = Rgb(int(i), 255 - int(i), int(i * 7) & 0xFF);
        state.colours.selection = kOverlay;
        for (const auto& [col, row] : {std::pair{20, 20}, {0, 0}, {40, 13}})
            doc->SetScanTime(col, row, 1.0f);
    }

    QRgb Expected(int col, int row) const
    {
        if (state.view.overlay && doc->IsTarget(col, row))
            return ToQRgb(kOverlay) & 0xFFFFFFu;
        const int v = doc->m_pIntensity[static_cast<std::size_t>(doc->IndexOf(col, row))];
        return ToQRgb(doc->m_DisplayColors[static_cast<std::size_t>(
                   IntensityColourIndex(v, doc->m_nMinIntensity, doc->m_nMaxIntensity))]) &
               0xFFFFFFu;
    }

    QByteArray Print()
    {
        QByteArray pdf;
        QBuffer buffer(&pdf);
        EXPECT_TRUE(buffer.open(QIODevice::WriteOnly));
        {
            QPdfWriter writer(&buffer);
            writer.setPageSize(QPageSize(QPageSize::A4));
            EXPECT_TRUE(PrintPatternPage(writer, *doc, state.Render(), QFont()));
        }
        return pdf;
    }

    // Every cell is one block of exactly its colour in the page's only image.
    void ExpectSharpCells(const QByteArray& pdf)
    {
        const std::vector<PdfImage> images = PdfImages(pdf);
        ASSERT_EQ(images.size(), 1u);
        const PdfImage& image = images.front();
        EXPECT_EQ(image.filter, QByteArray("/FlateDecode"));
        EXPECT_FALSE(image.interpolated);
        ASSERT_FALSE(image.pixels.isNull());
        ASSERT_EQ(image.width % kSide, 0);
        ASSERT_EQ(image.height, image.width);
        // Enlarged before it reaches the printer: a viewer that smooths what it enlarges
        // would still blur a cell of one pixel into its neighbours.
        const int cell = image.width / kSide;
        EXPECT_GE(cell, 8);
        for (int row = 0; row < kSide; ++row)
            for (int col = 0; col < kSide; ++col) {
                const QRgb want = Expected(col, row);
                for (int y = row * cell; y < (row + 1) * cell; ++y)
                    for (int x = col * cell; x < (col + 1) * cell; ++x)
                        ASSERT_EQ(image.pixels.pixel(x, y) & 0xFFFFFFu, want)
                            << "cell " << col << "," << row << " at " << x << "," << y;
            }
    }
};

TEST_F(PrintedPdf, EveryCellIsASharpBlockOfItsExactColour)
{
    ExpectSharpCells(Print());
}

TEST_F(PrintedPdf, WithoutTheOverlayTargetsShowTheirIntensity)
{
    state.view.overlay = false;
    ExpectSharpCells(Print());
}

TEST_F(PrintedPdf, ZoomedWindowPrintsOnlyItsCellsSharply)
{
    doc->m_nFirstCol = 10;
    doc->m_nLastCol = 30;
    doc->m_nFirstRow = 5;
    doc->m_nLastRow = 25;
    const std::vector<PdfImage> images = PdfImages(Print());
    ASSERT_EQ(images.size(), 1u);
    const PdfImage& image = images.front();
    ASSERT_FALSE(image.pixels.isNull());
    ASSERT_EQ(image.width % 21, 0);
    const int cell = image.width / 21;
    for (int row = 5; row <= 25; ++row)
        for (int col = 10; col <= 30; ++col) {
            const QPoint centre((col - 10) * cell + cell / 2, (row - 5) * cell + cell / 2);
            ASSERT_EQ(image.pixels.pixel(centre) & 0xFFFFFFu, Expected(col, row))
                << col << "," << row;
        }
}

} // namespace
