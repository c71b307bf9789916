// Command-line tool on the pattern file: inspect, convert and export ".rad" files with
// the program's own reader and writer.
#include "base/DecimalPlaces.h"
#include "base/FilePath.h"
#include "base/FixedText.h"
#include "base/NumberText.h"
#include "display/LookupTable.h"
#include "document/CPatternFile.h"
#include "document/CProgramState.h"
#include "document/CVespiraDoc.h"
#include "render/CCellImage.h"
#include "render/PrintedPage.h"
#include "tools/vespira-rad/RecoverCommand.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPdfWriter>
#include <QString>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

constexpr char kUsage[] =
    "Usage: vespira-rad COMMAND ARGS\n"
    "\n"
    "Commands:\n"
    "  info FILE            grid, header, targets and maximum intensity of a pattern\n"
    "  convert IN OUT       read IN and write it as OUT, as File Open then Save As\n"
    "  export IN OUT.csv    one row per grid point: column, row, X, Y, intensity, scan time\n"
    "  export IN OUT.png [--lut NAME] [--cell N]\n"
    "                       the pattern as the view colours it, N x N pixels a point\n"
    "                       (1 to 64, default 1), from the built-in colours or the\n"
    "                       look-up table NAME in $ORMA_SYSDATA or, without it, among\n"
    "                       the bundled tables\n"
    "  export IN OUT.pdf    the pattern's printed page, as Print draws it, on A4\n";

int Usage(int status)
{
    std::fputs(kUsage, status == 0 ? stdout : stderr);
    std::fputs(kRecoverUsage, status == 0 ? stdout : stderr);
    return status;
}

// Paths go to the file system as the bytes the command line gave.
bool Read(CVespiraDoc& doc, const char* path)
{
    if (doc.OnOpenDocument(QByteArray(path)))
        return true;
    // The reader has reported a file that is not a pattern; one that cannot be opened
    // (missing, a device, a FIFO, a folder) it leaves to the caller.
    const int fd = OpenPatternFile(QByteArray(path));
    if (fd < 0)
        std::fprintf(stderr, "vespira-rad: cannot open %s\n", path);
    else
        ::close(fd);
    return false;
}

bool Write(const char* path, std::string_view bytes)
{
    if (WriteFileReplacing(QByteArray(path), bytes))
        return true;
    std::fprintf(stderr, "vespira-rad: cannot write %s\n", path);
    return false;
}

std::string Text(std::string_view text)
{
    return std::string(text);
}

int Info(CVespiraDoc& doc, const char* path)
{
    if (!Read(doc, path))
        return 1;
    const int xDecimals = DecimalPlaces(doc.m_fXInc);
    const int yDecimals = DecimalPlaces(doc.m_fYInc);
    int targets = 0;
    for (float t : doc.m_pScanTime)
        targets += t != 0.0f ? 1 : 0;
    std::printf("File:        %s\n", Text(TextOf(doc.m_szFileName)).c_str());
    std::printf("Created:     %s %s\n", Text(TextOf(doc.m_szCreatedDate)).c_str(),
                Text(TextOf(doc.m_szCreatedTime)).c_str());
    std::printf("Modified:    %s %s\n", Text(TextOf(doc.m_szModifiedDate)).c_str(),
                Text(TextOf(doc.m_szModifiedTime)).c_str());
    std::printf("Grid:        %d x %d points\n", doc.m_nXPoints, doc.m_nYPoints);
    std::printf("X:           %s to %s mm by %s\n", FormatFixed(doc.m_fXBeg, xDecimals).c_str(),
                FormatFixed(doc.m_fXEnd, xDecimals).c_str(),
                FormatFixed(doc.m_fXInc, xDecimals).c_str());
    std::printf("Y:           %s to %s mm by %s\n", FormatFixed(doc.m_fYBeg, yDecimals).c_str(),
                FormatFixed(doc.m_fYEnd, yDecimals).c_str(),
                FormatFixed(doc.m_fYInc, yDecimals).c_str());
    std::printf("Measurement: time %s s, %d kV, %d mA\n", FormatFixed(doc.m_fMeasTime, 1).c_str(),
                doc.m_nKV, doc.m_nMA);
    std::printf("Detector:    distance %s, beam centre %s %s, size %d\n",
                FormatFixed(doc.m_fDetDistance, 2).c_str(), FormatFixed(doc.m_fBeamX, 2).c_str(),
                FormatFixed(doc.m_fBeamY, 2).c_str(), doc.m_nImageSize);
    if (doc.m_szBackgroundFile[0] != '\0')
        std::printf("Background:  %s: x %s, y %s, %d kV, %d mA, time %s s\n",
                    Text(TextOf(doc.m_szBackgroundFile)).c_str(),
                    FormatFixed(doc.m_fBackgroundX, 2).c_str(),
                    FormatFixed(doc.m_fBackgroundY, 2).c_str(), doc.m_nBackgroundKV,
                    doc.m_nBackgroundMA, FormatFixed(doc.m_fBackgroundTime, 1).c_str());
    else
        std::printf("Background:  none\n");
    std::printf("Targets:     %d, total scan time %s s\n", targets,
                FormatFixed(doc.TotalScanTime(), 1).c_str());
    std::printf("Maximum:     %d\n", doc.m_nMaxIntensity);
    return 0;
}

int Convert(CVespiraDoc& doc, const char* in, const char* out)
{
    if (!Read(doc, in))
        return 1;
    if (!doc.OnSaveDocument(QByteArray(out))) {
        std::fprintf(stderr, "vespira-rad: cannot write %s\n", out);
        return 1;
    }
    return 0;
}

int ExportCsv(CVespiraDoc& doc, const char* in, const char* out)
{
    if (!Read(doc, in))
        return 1;
    const int xDecimals = DecimalPlaces(doc.m_fXInc);
    const int yDecimals = DecimalPlaces(doc.m_fYInc);
    std::string csv = "column,row,x,y,intensity,scan_time\n";
    for (int row = 0; row < doc.m_nYPoints; ++row) {
        for (int col = 0; col < doc.m_nXPoints; ++col) {
            const int i = doc.IndexOf(col, row);
            csv += FormatInt(col) + ',' + FormatInt(row) + ',' +
                   FormatFixed(doc.XOf(col), xDecimals) + ',' +
                   FormatFixed(doc.YOf(row), yDecimals) + ',' + FormatInt(doc.m_pIntensity[i]) +
                   ',' + FormatFixed(doc.m_pScanTime[i], 1) + '\n';
        }
    }
    return Write(out, csv) ? 0 : 1;
}

int ExportPng(CVespiraDoc& doc, int argc, char** argv)
{
    const char* in = argv[2];
    const char* out = argv[3];
    const char* lutName = nullptr;
    int cell = 1;
    for (int i = 4; i < argc; i += 2) {
        const std::string option = argv[i];
        if (i + 1 >= argc || (option != "--lut" && option != "--cell"))
            return Usage(2);
        if (option == "--lut") {
            lutName = argv[i + 1];
            continue;
        }
        const std::string value = argv[i + 1];
        cell = CAtol(value);
        if (value.find_first_not_of("0123456789") != std::string::npos || cell < 1 || cell > 64) {
            std::fprintf(stderr, "vespira-rad: --cell takes a whole number from 1 to 64\n");
            return 2;
        }
    }
    if (!Read(doc, in))
        return 1;
    if (lutName != nullptr) {
        ColourTable lut = doc.m_LutColors;
        const int result = ReadLookupTable(lutName, lut);
        if (result == kLutNoDirectory) {
            std::fprintf(
                stderr,
                "vespira-rad: no bundled look-up tables; set ORMA_SYSDATA to their folder\n");
            return 1;
        }
        if (result != kLutDone) {
            std::fprintf(stderr, "vespira-rad: cannot read look-up table %s (%s)\n", lutName,
                         result == kLutCannotOpen ? "cannot open it" : "fewer than 64 colours");
            return 1;
        }
        // Brightness and contrast 127 leave a table as it is.
        doc.m_DisplayColors = lut;
    }
    const QImage image = RenderPatternImage(doc, cell);
    if (image.isNull()) {
        std::fprintf(stderr, "vespira-rad: the image would be too large; use a smaller --cell\n");
        return 1;
    }
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        std::fprintf(stderr, "vespira-rad: cannot write %s\n", out);
        return 1;
    }
    return Write(out, std::string_view(png.constData(), static_cast<std::size_t>(png.size()))) ? 0
                                                                                               : 1;
}

int ExportPdf(CVespiraDoc& doc, const CProgramState& state, const char* in, const char* out)
{
    if (!Read(doc, in))
        return 1;
    // Drawn into memory first, so the file is written through the same byte-exact,
    // replace-on-success path as every other output.
    QByteArray pdf;
    QBuffer buffer(&pdf);
    bool drawn = buffer.open(QIODevice::WriteOnly);
    if (drawn) {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("vespira-rad"));
        writer.setTitle(QString::fromLocal8Bit(in));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        drawn = PrintPatternPage(writer, doc, state, QGuiApplication::font());
    }
    if (!drawn) {
        std::fprintf(stderr, "vespira-rad: cannot write %s\n", out);
        return 1;
    }
    return Write(out, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size()))) ? 0
                                                                                               : 1;
}

bool EndsWith(const std::string& text, const char* suffix)
{
    const std::string s(suffix);
    return text.size() >= s.size() && text.compare(text.size() - s.size(), s.size(), s) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage(2);
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help")
        return Usage(0);

    // Gives the program's own folder, beside which the bundled look-up tables lie. A PDF
    // needs fonts, and fonts a GUI application; a file tool needs no display.
    const bool pdf = command == "export" && argc == 4 && EndsWith(argv[3], ".pdf");
    if (pdf && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        pdf ? std::make_unique<QGuiApplication>(argc, argv)
            : std::make_unique<QCoreApplication>(argc, argv);
    CStderrUi ui;
    CProgramState state(ui);
    CVespiraDoc doc(state);

    if (command == "info" && argc == 3)
        return Info(doc, argv[2]);
    if (command == "convert" && argc == 4)
        return Convert(doc, argv[2], argv[3]);
    if (command == "export" && argc == 4 && EndsWith(argv[3], ".csv"))
        return ExportCsv(doc, argv[2], argv[3]);
    if (command == "recover")
        return RecoverCommand(doc, argc, argv);
    if (command == "export" && argc >= 4 && EndsWith(argv[3], ".png"))
        return ExportPng(doc, argc, argv);
    if (pdf)
        return ExportPdf(doc, state, argv[2], argv[3]);
    return Usage(2);
}
