#include "app/CSettings.h"
#include "base/FixedText.h"
#include "display/ColourSettings.h"
#include "display/ColourTransform.h"
#include "document/CPatternFile.h"
#include "document/CVespiraDoc.h"
#include "render/CCellImage.h"
#include "tests/common/CFakeHostUi.h"
#include "tests/common/PdfContent.h"
#include "tests/common/TestProgram.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kExamples = QStringLiteral(VESPIRA_EXAMPLES);
constexpr COLORREF kOverlay = Rgb(255, 0, 255);

// `vespira-rad export` to a picture, with settings the program wrote in a folder of the
// test's own; the colour tables are the examples'.
class ExportColoursTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config.isValid());
        ASSERT_TRUE(work.isValid());
        saved = qgetenv("ORMA_SYSDATA");
        qputenv("ORMA_SYSDATA", (kExamples + QStringLiteral("/lut")).toLocal8Bit());
    }
    void TearDown() override
    {
        if (saved.isNull())
            qunsetenv("ORMA_SYSDATA");
        else
            qputenv("ORMA_SYSDATA", saved);
    }

    // The colours a user chose, stored as the program stores them at exit.
    void StoreSettings()
    {
        CFakeHostUi ui;
        CTestProgram program{ui};
        program.colours.selection = kOverlay;
        program.colours.display.nBrightness = 90;
        program.colours.display.nContrast = 180;
        CopyText(program.colours.display.szLutName, "hot.lut");
        ASSERT_TRUE(QDir(config.path()).mkpath(QStringLiteral("Merovant")));
        ASSERT_TRUE(CSettings(SettingsPath()).Write(program));
    }
    QString SettingsPath() const
    {
        return config.filePath(QStringLiteral("Merovant/ORMA Radiography.conf"));
    }

    int Export(const QString& in, const QString& out, const QStringList& options = {})
    {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral(VESPIRA_RAD_PATH),
                   QStringList{QStringLiteral("export"), in, out} + options);
        if (!tool.waitForFinished(30000))
            return -1;
        errors = tool.readAllStandardError();
        return tool.exitCode();
    }

    // The disc as the program shows it with the stored settings, one pixel a point.
    QImage AsTheProgramShowsIt(bool targets)
    {
        CFakeHostUi ui;
        CTestProgram program{ui};
        const SettingsReadResult read = CSettings(SettingsPath()).Read(program);
        EXPECT_TRUE(read.keyOpened);
        LoadStartupColours(program.colours.display);
        CVespiraDoc doc(program);
        EXPECT_TRUE(ReadPatternFile(doc, QFile::encodeName(kExamples + "/disc.rad")));
        return RenderPatternImage(
            doc, 1, targets ? std::optional(program.colours.selection) : std::nullopt);
    }

    static QImage Rgb32(const QString& path)
    {
        return QImage(path).convertToFormat(QImage::Format_RGB32);
    }

    QTemporaryDir config;
    QTemporaryDir work;
    QByteArray saved;
    QByteArray errors;
};

TEST_F(ExportColoursTest, PngHasTheProgramsColoursAndTargets)
{
    StoreSettings();
    const QString png = work.filePath(QStringLiteral("disc.png"));
    ASSERT_EQ(Export(kExamples + "/disc.rad", png), 0) << errors.constData();
    const QImage expected = AsTheProgramShowsIt(true);
    EXPECT_EQ(Rgb32(png), expected);
    CFakeHostUi ui;
    CTestProgram program{ui};
    CVespiraDoc doc(program);
    ASSERT_TRUE(ReadPatternFile(doc, QFile::encodeName(kExamples + "/disc.rad")));
    ASSERT_GT(doc.ScanCount(), 0);
    for (int row = 0; row < doc.m_nYPoints; ++row)
        for (int col = 0; col < doc.m_nXPoints; ++col)
            if (doc.IsTarget(col, row)) {
                ASSERT_EQ(expected.pixel(col, row), ToQRgb(kOverlay)) << col << "," << row;
            }

    const QString bare = work.filePath(QStringLiteral("bare.png"));
    ASSERT_EQ(Export(kExamples + "/disc.rad", bare, {QStringLiteral("--no-targets")}), 0);
    EXPECT_EQ(Rgb32(bare), AsTheProgramShowsIt(false));
}

TEST_F(ExportColoursTest, LookupTableAskedForReplacesTheStoredOne)
{
    StoreSettings();
    const QString stored = work.filePath(QStringLiteral("stored.png"));
    const QString grey = work.filePath(QStringLiteral("grey.png"));
    ASSERT_EQ(Export(kExamples + "/disc.rad", stored), 0);
    ASSERT_EQ(Export(kExamples + "/disc.rad", grey, {"--lut", "grey", "--no-targets"}), 0);
    const QImage image = Rgb32(grey);
    ASSERT_FALSE(image.isNull());
    EXPECT_NE(image, Rgb32(stored));
    // A grey table: every point red, green and blue alike.
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            ASSERT_TRUE(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c)) << x << "," << y;
        }
}

TEST_F(ExportColoursTest, WithoutSettingsTheBuiltInColoursAreUsed)
{
    const QString png = work.filePath(QStringLiteral("plain.png"));
    ASSERT_EQ(Export(kExamples + "/disc.rad", png, {QStringLiteral("--no-targets")}), 0);
    CFakeHostUi ui;
    CTestProgram program{ui};
    CVespiraDoc doc(program);
    ASSERT_TRUE(ReadPatternFile(doc, QFile::encodeName(kExamples + "/disc.rad")));
    EXPECT_EQ(Rgb32(png), RenderPatternImage(doc, 1));
    EXPECT_TRUE(errors.isEmpty()) << errors.constData();
}

TEST_F(ExportColoursTest, UnreadableSettingsAreSaidAndTheBuiltInColoursUsed)
{
    ASSERT_TRUE(QDir(config.path()).mkpath(QStringLiteral("Merovant/ORMA Radiography.conf")));
    const QString png = work.filePath(QStringLiteral("plain.png"));
    ASSERT_EQ(Export(kExamples + "/disc.rad", png), 0);
    EXPECT_TRUE(errors.startsWith("vespira-rad: cannot read the settings file ")) << errors.data();
    EXPECT_FALSE(QImage(png).isNull());
}

TEST_F(ExportColoursTest, PdfIsThePrintedPageInTheProgramsColoursNamedAfterThePattern)
{
    StoreSettings();
    const QString pdfPath = work.filePath(QStringLiteral("disc.pdf"));
    ASSERT_EQ(Export(kExamples + "/disc.rad", pdfPath), 0) << errors.constData();
    QFile file(pdfPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_EQ(PdfTitle(pdf), QStringLiteral("disc.rad"));
    const std::vector<PdfImage> images = PdfImages(pdf);
    ASSERT_EQ(images.size(), 1u);
    const QImage& cells = images.front().pixels;
    ASSERT_FALSE(cells.isNull());
    const QImage expected = AsTheProgramShowsIt(true);
    ASSERT_EQ(cells.width() % expected.width(), 0);
    const int cell = cells.width() / expected.width();
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            ASSERT_EQ(cells.pixel(x * cell + cell / 2, y * cell + cell / 2), expected.pixel(x, y))
                << x << "," << y;

    // Printed without targets, a target shows its intensity.
    ASSERT_EQ(Export(kExamples + "/disc.rad", pdfPath, {QStringLiteral("--no-targets")}), 0);
    file.close(); // the export replaced the file
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::vector<PdfImage> bare = PdfImages(file.readAll());
    ASSERT_EQ(bare.size(), 1u);
    const QImage plain = AsTheProgramShowsIt(false);
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            ASSERT_EQ(bare.front().pixels.pixel(x * cell + cell / 2, y * cell + cell / 2),
                      plain.pixel(x, y))
                << x << "," << y;
}

TEST_F(ExportColoursTest, OptionsThatDoNotFitAreUsageErrors)
{
    const QString pdf = work.filePath(QStringLiteral("x.pdf"));
    EXPECT_EQ(Export(kExamples + "/disc.rad", pdf, {"--cell", "2"}), 2);
    EXPECT_EQ(Export(kExamples + "/disc.rad", pdf, {"--lut"}), 2);
    EXPECT_EQ(Export(kExamples + "/disc.rad", work.filePath("x.png"), {"--targets"}), 2);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_FALSE(QFile::exists(work.filePath("x.png")));
}

} // namespace
