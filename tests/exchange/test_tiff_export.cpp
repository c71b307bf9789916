#include "exchange/TiffExport.h"

#include "tests/document/TestPatterns.h"

#include <QTemporaryDir>

#include <tiffio.h>

#include <gtest/gtest.h>

namespace {

TEST(TiffExport, IsOneSigned32BitSamplePerPointWithRowZeroOnTop)
{
    DocFixture f;
    auto doc = f.NewDoc(0.0f, 2.0f, 1.0f, 0.0f, 1.0f, 1.0f); // 3 x 2
    ASSERT_TRUE(doc);
    const std::vector<std::int32_t> values = {1, 2, 3, -4, 2147483647, -2147483647 - 1};
    std::copy(values.begin(), values.end(), doc->m_pIntensity.begin());

    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("p.tif")));
    ASSERT_TRUE(WriteTiffFile(*doc, path));

    TIFF* tiff = TIFFOpen(path.constData(), "r");
    ASSERT_NE(tiff, nullptr);
    std::uint32_t width = 0, height = 0;
    std::uint16_t bits = 0, samples = 0, format = 0, orientation = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tiff, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetField(tiff, TIFFTAG_ORIENTATION, &orientation);
    EXPECT_EQ(width, 3u);
    EXPECT_EQ(height, 2u);
    EXPECT_EQ(bits, 32);
    EXPECT_EQ(samples, 1);
    EXPECT_EQ(format, SAMPLEFORMAT_INT);
    EXPECT_EQ(orientation, ORIENTATION_TOPLEFT);
    std::vector<std::int32_t> read;
    std::vector<std::int32_t> line(width);
    for (std::uint32_t row = 0; row < height; ++row) {
        ASSERT_EQ(TIFFReadScanline(tiff, line.data(), row, 0), 1);
        read.insert(read.end(), line.begin(), line.end());
    }
    TIFFClose(tiff);
    EXPECT_EQ(read, values);
}

} // namespace
