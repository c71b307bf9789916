#include "tools/vespira-rad/ExchangeCommands.h"

#include "base/NumberText.h"
#include "document/CVespiraDoc.h"
#include "exchange/TargetCsv.h"
#include "tools/vespira-rad/ToolMessages.h"

#include <cstdio>
#include <string>

const char kExchangeUsage[] =
    "  export IN OUT.nxs    the pattern as a NeXus/HDF5 file (also .h5, .hdf5, .nx5):\n"
    "                       intensities, axes, scan times, targets and header\n"
    "  export IN OUT.tif    the intensities as a 32-bit TIFF image, row 0 at the top\n"
    "  targets IN           the targets of a pattern: index, X and Y in mm, time in s\n"
    "  targets IN --csv OUT.csv\n"
    "                       the targets as a list x_mm,y_mm,time_s\n"
    "  targets IN --import LIST.csv OUT.rad [--partial]\n"
    "                       the targets of LIST added to IN's and written as OUT.rad;\n"
    "                       a list with bad rows is refused, or with --partial its\n"
    "                       good rows are taken\n"
    "  IN may be a pattern file or a NeXus map.\n";

namespace {

int PrintTargets(const CVespiraDoc& doc)
{
    const int xDecimals = AxisDecimals(doc.m_fXInc, doc.m_fXBeg);
    const int yDecimals = AxisDecimals(doc.m_fYInc, doc.m_fYEnd);
    std::printf("%8s %12s %12s %12s\n", "index", "x_mm", "y_mm", "time_s");
    int index = 0;
    for (int row = 0; row < doc.m_nYPoints; ++row)
        for (int col = 0; col < doc.m_nXPoints; ++col) {
            const float time = doc.m_pScanTime[static_cast<std::size_t>(doc.IndexOf(col, row))];
            if (time == 0.0f)
                continue;
            std::printf("%8d %12s %12s %12s\n", index++,
                        FormatFixed(doc.XOf(col), xDecimals).c_str(),
                        FormatFixed(doc.YOf(row), yDecimals).c_str(), ScanTimeText(time).c_str());
        }
    std::printf("%d targets, total scan time %s s\n", index,
                FormatFixed(doc.TotalScanTime(), 1).c_str());
    return 0;
}

int Import(CVespiraDoc& doc, const char* list, const char* out, bool partial)
{
    std::string text;
    std::string error;
    if (!ReadTargetCsvFile(QByteArray(list), text, error)) {
        std::fprintf(stderr, "vespira-rad: cannot read %s: %s\n", list, error.c_str());
        return 1;
    }
    const TargetImport import = ParseTargetCsv(doc, text);
    if (!import.isList) {
        std::fprintf(stderr, "vespira-rad: %s is not a target list: %s", list,
                     DescribeProblems(import.problems).c_str());
        return 1;
    }
    if (!import.problems.empty()) {
        std::fprintf(stderr, "vespira-rad: %s: %zu of its rows cannot be used:\n%s", list,
                     import.problems.size(), DescribeProblems(import.problems, 1000).c_str());
        if (!partial || import.targets.empty()) {
            std::fprintf(stderr, "vespira-rad: nothing imported%s\n",
                         import.targets.empty() ? "" : " (--partial takes the good rows)");
            return 1;
        }
    }
    ApplyTargetImport(doc, import);
    if (!doc.OnSaveDocument(QByteArray(out)))
        return CannotWrite(out);
    std::printf("%zu targets imported, %d in all, written to %s\n", import.targets.size(),
                doc.ScanCount(), out);
    return 0;
}

} // namespace

int TargetsCommand(CVespiraDoc& doc, int argc, char** argv)
{
    const std::string option = argc > 3 ? argv[3] : "";
    const bool print = argc == 3;
    const bool csv = argc == 5 && option == "--csv";
    const bool import =
        (argc == 6 || (argc == 7 && std::string(argv[6]) == "--partial")) && option == "--import";
    if (!print && !csv && !import) {
        std::fputs("Usage: vespira-rad targets IN [--csv OUT | --import LIST OUT [--partial]]\n",
                   stderr);
        return 2;
    }
    if (!ReadPatternOrMap(doc, argv[2]))
        return 1;
    if (print)
        return PrintTargets(doc);
    if (csv) {
        return WriteTargetCsv(doc, QByteArray(argv[4])) ? 0 : CannotWrite(argv[4]);
    }
    return Import(doc, argv[4], argv[5], argc == 7);
}
