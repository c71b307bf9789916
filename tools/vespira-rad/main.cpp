// Command-line tool on the pattern file: inspect, convert and export ".rad" files with
// the program's own reader and writer.
#include "base/DecimalPlaces.h"
#include "base/FilePath.h"
#include "base/FixedText.h"
#include "base/NumberText.h"
#include "display/ColourSettings.h"
#include "display/LookupTable.h"
#include "document/CVespiraDoc.h"
#include "document/DocumentServices.h"
#include "document/ViewOptions.h"
#include "exchange/PatternCsv.h"
#include "render/CCellImage.h"
#include "render/PrintedPage.h"
#include "render/RenderContext.h"
#include "render/ToolState.h"
#include "tools/vespira-rad/ExchangeCommands.h"
#include "tools/vespira-rad/ExportColours.h"
#include "tools/vespira-rad/RangeOptions.h"
#include "tools/vespira-rad/RecoverCommand.h"
#include "tools/vespira-rad/ToolMessages.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPdfWriter>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

namespace {

constexpr char kUsage[] =
    "Usage: vespira-rad COMMAND ARGS\n"
    "\n"
    "Commands:\n"
    "  info FILE            grid, header, targets and the intensities' minimum,\n"
    "                       maximum, mean and sum of a pattern\n"
    "  convert IN OUT       read IN and write it as OUT, as File Open then Save As\n"
    "  export IN OUT.csv    one row per grid point: column, row, X, Y, intensity, scan time\n"
    "  export IN OUT.png [--lut NAME] [--cell N] [--no-targets]\n"
    "                       the pattern as the view colours it, N x N pixels a point\n"
    "                       (1 to 64, default 1), in the program's colours from its\n"
    "                       settings file (the built-in ones without it) or from the\n"
    "                       look-up table NAME (NAME.lut alike) in $ORMA_SYSDATA\n"
    "                       or, without it, among the bundled tables; the targets in\n"
    "                       the overlay colour unless --no-targets\n"
    "  export IN OUT.pdf [--lut NAME] [--no-targets]\n"
    "                       the pattern's printed page, as Print draws it, on A4,\n"
    "                       in the same colours\n";

int Usage(int status)
{
    std::fputs(kUsage, status == 0 ? stdout : stderr);
    std::fputs(kExchangeUsage, status == 0 ? stdout : stderr);
    std::fputs(kRecoverUsage, status == 0 ? stdout : stderr);
    std::fputs(kRangeUsage, status == 0 ? stdout : stderr);
    return status;
}

bool Write(const char* path, std::string_view bytes)
{
    if (WriteFileReplacing(QByteArray(path), bytes))
        return true;
    CannotWrite(path);
    return false;
}

std::string Text(std::string_view text)
{
    return std::string(text);
}

struct IntensityStatistics
{
    int minimum = 0;
    int maximum = 0;
    double mean = 0.0;
    long long sum = 0;
};

// Over every point of the grid; 16,777,216 points of at most 2^31 fit a 64-bit sum.
IntensityStatistics StatisticsOf(const CVespiraDoc& doc)
{
    IntensityStatistics stats;
    if (doc.m_pIntensity.empty())
        return stats;
    stats.minimum = std::numeric_limits<int>::max();
    stats.maximum = std::numeric_limits<int>::min();
    for (const int value : doc.m_pIntensity) {
        stats.minimum = std::min(stats.minimum, value);
        stats.maximum = std::max(stats.maximum, value);
        stats.sum += value;
    }
    stats.mean = static_cast<double>(stats.sum) / static_cast<double>(doc.m_pIntensity.size());
    return stats;
}

int Info(CVespiraDoc& doc, const char* path)
{
    if (!ReadPattern(doc, path))
        return 1;
    const int xDecimals = DecimalPlaces(doc.m_fXInc);
    const int yDecimals = DecimalPlaces(doc.m_fYInc);
    // The targets a saved file keeps: those with a positive time.
    double targetTime = 0.0;
    for (float t : doc.m_pScanTime)
        targetTime += t > 0.0f ? t : 0.0f;
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
    std::printf("Targets:     %d, total scan time %s s\n", doc.ScanCount(),
                FormatFixed(targetTime, 1).c_str());
    const IntensityStatistics stats = StatisticsOf(doc);
    std::printf("Minimum:     %d\n", stats.minimum);
    std::printf("Maximum:     %d\n", stats.maximum);
    std::printf("Mean:        %s\n", FormatFixed(stats.mean, 2).c_str());
    std::printf("Sum:         %lld\n", stats.sum);
    std::printf("Colour scale: %d to %d\n", doc.m_nMinIntensity, doc.m_nMaxIntensity);
    return 0;
}

int Convert(CVespiraDoc& doc, const char* in, const char* out)
{
    if (!ReadPattern(doc, in))
        return 1;
    return doc.OnSaveDocument(QByteArray(out)) ? 0 : CannotWrite(out);
}

int ExportCsv(CVespiraDoc& doc, const char* in, const char* out)
{
    if (!ReadPattern(doc, in))
        return 1;
    return WritePatternCsv(doc, QByteArray(out)) ? 0 : CannotWrite(out);
}

// NAME, else NAME.lut, from the tables' folder; says why not and lists the tables there.
bool LoadLookupTable(const char* name, ColourTable& table)
{
    int result = ReadLookupTable(name, table);
    if (result == kLutCannotOpen && !HasSuffix(name, ".lut"))
        result = ReadLookupTable(std::string(name) + ".lut", table);
    if (result == kLutDone)
        return true;
    if (result == kLutNoDirectory) {
        std::fprintf(stderr,
                     "vespira-rad: no bundled look-up tables; set ORMA_SYSDATA to their folder\n");
        return false;
    }
    if (result != kLutCannotOpen) {
        std::fprintf(stderr, "vespira-rad: cannot read look-up table %s (fewer than 64 colours)\n",
                     name);
        return false;
    }
    const std::string folder = LookupTableDirectory().value_or("");
    const QStringList names = ListLookupTables();
    std::fprintf(stderr, "vespira-rad: no look-up table %s in %s; %s%s\n", name, folder.c_str(),
                 names.isEmpty() ? "it holds none" : "it holds ",
                 names.join(QStringLiteral(", ")).toLocal8Bit().constData());
    return false;
}

// What `export` to a picture takes after IN OUT.
struct PictureOptions
{
    const char* lutName = nullptr;
    int cell = 1;
    bool targets = true;
};

// 0 when the options are sound, else the exit status after saying why; --cell only for
// a PNG.
int ReadPictureOptions(int argc, char** argv, bool cellAllowed, PictureOptions& options)
{
    for (int i = 4; i < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--no-targets") {
            options.targets = false;
            --i; // a switch takes no value
            continue;
        }
        if (i + 1 >= argc || (option != "--lut" && (option != "--cell" || !cellAllowed)))
            return Usage(2);
        if (option == "--lut") {
            options.lutName = argv[i + 1];
            continue;
        }
        const std::string value = argv[i + 1];
        options.cell = CAtol(value);
        if (value.find_first_not_of("0123456789") != std::string::npos || options.cell < 1 ||
            options.cell > 64) {
            std::fprintf(stderr, "vespira-rad: --cell takes a whole number from 1 to 64\n");
            return 2;
        }
    }
    return 0;
}

// Reads the pattern in the program's colours, or in the look-up table asked for.
bool ReadPictureSource(CVespiraDoc& doc, const char* in, const char* lutName)
{
    if (!ReadPattern(doc, in))
        return false;
    if (lutName != nullptr) {
        ColourTable lut = doc.m_LutColors;
        if (!LoadLookupTable(lutName, lut))
            return false;
        // Brightness and contrast 127 leave a table as it is.
        doc.m_DisplayColors = lut;
    }
    return true;
}

int ExportPng(CVespiraDoc& doc, const ProgramColours& colours, int argc, char** argv)
{
    const char* in = argv[2];
    const char* out = argv[3];
    PictureOptions options;
    if (const int status = ReadPictureOptions(argc, argv, true, options); status != 0)
        return status;
    if (!ReadPictureSource(doc, in, options.lutName))
        return 1;
    const QImage image = RenderPatternImage(
        doc, options.cell, options.targets ? std::optional(colours.selection) : std::nullopt);
    if (image.isNull()) {
        std::fprintf(stderr, "vespira-rad: the image would be too large; use a smaller --cell\n");
        return 1;
    }
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        errno = 0;
        return CannotWrite(out);
    }
    return Write(out, std::string_view(png.constData(), static_cast<std::size_t>(png.size()))) ? 0
                                                                                               : 1;
}

int ExportPdf(CVespiraDoc& doc, const ProgramColours& colours, const CLiveScan& liveScan, int argc,
              char** argv)
{
    const char* in = argv[2];
    const char* out = argv[3];
    PictureOptions options;
    if (const int status = ReadPictureOptions(argc, argv, false, options); status != 0)
        return status;
    if (!ReadPictureSource(doc, in, options.lutName))
        return 1;
    ViewOptions view;
    view.overlay = options.targets;
    const ToolState tools;
    const RenderContext context{colours, view, tools, liveScan};
    // Drawn into memory first, so the file is written through the same byte-exact,
    // replace-on-success path as every other output.
    QByteArray pdf;
    QBuffer buffer(&pdf);
    bool drawn = buffer.open(QIODevice::WriteOnly);
    if (drawn) {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("vespira-rad"));
        writer.setTitle(DisplayPath(FileNameOf(QByteArray(in))));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        drawn = PrintPatternPage(writer, doc, context, QGuiApplication::font());
    }
    if (!drawn) {
        errno = 0;
        return CannotWrite(out);
    }
    return Write(out, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size()))) ? 0
                                                                                               : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage(2);
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help")
        return Usage(0);
    RangeSettings range;
    if (command == "export") {
        bool given = false;
        std::string error;
        if (!TakeRangeOptions(argc, argv, range, given, error)) {
            std::fprintf(stderr, "vespira-rad: %s\n", error.c_str());
            return 2;
        }
        if (given && !(argc >= 4 && (HasSuffix(argv[3], ".png") || HasSuffix(argv[3], ".pdf")))) {
            std::fprintf(stderr, "vespira-rad: --range and --scale apply to PNG and PDF only\n");
            return 2;
        }
    }

    // Gives the program's own folder, beside which the bundled look-up tables lie. A PDF
    // needs fonts, and fonts a GUI application; a file tool needs no display.
    const bool pdf = command == "export" && argc >= 4 && HasSuffix(argv[3], ".pdf");
    if (pdf && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        pdf ? std::make_unique<QGuiApplication>(argc, argv)
            : std::make_unique<QCoreApplication>(argc, argv);
    CToolUi ui;
    DocumentServices services(ui);
    // A picture of the pattern is coloured as the program would colour it, in the range
    // asked for.
    const bool png = command == "export" && argc >= 4 && HasSuffix(argv[3], ".png");
    const ProgramColours colours = png || pdf ? ProgramColoursForExport() : ProgramColours{};
    DisplaySettings display = png || pdf ? colours.display : DisplaySettings{};
    display.range = range;
    services.newGridColours = &display;
    CVespiraDoc doc(services);

    if (command == "info" && argc == 3)
        return Info(doc, argv[2]);
    if (command == "convert" && argc == 4)
        return Convert(doc, argv[2], argv[3]);
    if (command == "export" && argc == 4 && HasSuffix(argv[3], ".csv"))
        return ExportCsv(doc, argv[2], argv[3]);
    if (command == "recover")
        return RecoverCommand(doc, argc, argv);
    if (png)
        return ExportPng(doc, colours, argc, argv);
    if (pdf)
        return ExportPdf(doc, colours, services.liveScan, argc, argv);
    if (command == "export" && argc == 4 && IsExchangeExport(argv[3]))
        return ExportFormat(doc, argv[2], argv[3]);
    if (command == "targets")
        return TargetsCommand(doc, argc, argv);
    return Usage(2);
}
