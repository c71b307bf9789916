// CSV export of a 4096 x 4096 pattern, the largest grid: the memory it takes beyond the
// pattern itself (peak resident size during the export less the size before it) and its
// time. Prints its figures.
#include "document/CVespiraDoc.h"
#include "document/DocumentServices.h"
#include "document/IHostUi.h"
#include "exchange/PatternCsv.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 when it cannot be read.
long StatusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    const std::string prefix = std::string(field) + ':';
    for (std::string line; std::getline(status, line);)
        if (line.rfind(prefix, 0) == 0)
            return std::stol(line.substr(prefix.size()));
    return -1;
}

// Starts the peak resident size afresh from the present one.
bool ResetPeak()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    CStderrUi ui;
    DocumentServices state(ui);
    QTemporaryDir dir;
    state.liveScan.SetPendingGrid(ScanGrid{4096, 4096, 0.0f, 409.5f, 0.1f, 0.0f, 409.5f, 0.1f});
    CVespiraDoc doc(state);
    if (!doc.OnNewDocument()) {
        std::fprintf(stderr, "cannot allocate the 4096 x 4096 grid\n");
        return 1;
    }
    for (std::size_t i = 0; i < doc.m_pIntensity.size(); ++i)
        doc.m_pIntensity[i] = static_cast<int>(10000 + (i * 7919) % 90000);
    for (std::size_t i = 0; i < doc.m_pScanTime.size(); i += 97)
        doc.m_pScanTime[i] = 900.0f;
    doc.RecountSelection();

    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("bench.csv")));
    const long before = StatusKb("VmRSS");
    const bool reset = ResetPeak();
    const auto t0 = std::chrono::steady_clock::now();
    const bool ok = WritePatternCsv(doc, path);
    const auto t1 = std::chrono::steady_clock::now();
    const long peak = StatusKb("VmHWM");
    const double mb = static_cast<double>(QFileInfo(QFile::decodeName(path)).size()) / 1e6;
    QFile::remove(QFile::decodeName(path));
    if (!ok) {
        std::fprintf(stderr, "the export failed\n");
        return 1;
    }
    std::printf("CSV export 4096 x 4096 (16777216 rows, %.0f MB):\n", mb);
    std::printf("  time (format, write, fsync, rename): %8.0f ms\n",
                std::chrono::duration<double, std::milli>(t1 - t0).count());
    if (reset && before >= 0 && peak >= 0)
        std::printf("  peak memory beyond the pattern:      %8.1f MB   (target <= 64 MB)\n",
                    static_cast<double>(peak - before) / 1024.0);
    else
        std::printf("  peak memory: not measurable here (/proc/self/clear_refs)\n");
    return 0;
}
