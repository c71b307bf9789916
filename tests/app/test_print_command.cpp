#include "app/CommandIds.h"
#include "display/ColourTransform.h"
#include "document/CVespiraDoc.h"
#include "tests/app/ShellFixture.h"
#include "tests/common/PdfContent.h"

#include <QFile>
#include <QPrintDialog>
#include <QPrinter>

// Print sends the page to the printer chosen in its dialog; a PDF printer stands in.
TEST_F(ShellTest, PrintedPdfIsNamedAfterThePatternAndKeepsItsCellsSharp)
{
    CVespiraDoc* doc = frame->NewDocument();
    ASSERT_NE(doc, nullptr);
    Settle();
    doc->SetScanTime(0, 0, 1.0f);
    const QString path = TempPath(QStringLiteral("printed.pdf"));
    ui.dialogHandler = [&path](QDialog& dialog) {
        auto* print = qobject_cast<QPrintDialog*>(&dialog);
        if (print == nullptr)
            return int(QDialog::Rejected);
        print->printer()->setOutputFormat(QPrinter::PdfFormat);
        print->printer()->setOutputFileName(path);
        return int(QDialog::Accepted);
    };
    frame->Action(ID_FILE_PRINT)->trigger();
    EXPECT_EQ(ui.dialogCount, 1);
    EXPECT_TRUE(ui.messages.isEmpty());

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_EQ(PdfTitle(pdf), doc->GetName());
    EXPECT_EQ(PdfTitle(pdf), QStringLiteral("ORMA1"));
    const std::vector<PdfImage> images = PdfImages(pdf);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images.front().filter, QByteArray("/FlateDecode"));
    ASSERT_FALSE(images.front().pixels.isNull());
    EXPECT_EQ(images.front().pixels.pixel(0, 0) & 0xFFFFFFu,
              ToQRgb(state.colours.selection) & 0xFFFFFFu);
}
