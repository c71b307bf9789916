// Write and read a 1000 x 1000 pattern with five-digit intensities and 10,000 targets, and
// the peak memory one such document costs. Prints its figures.
#include "document/CPatternFile.h"
#include "document/CVespiraDoc.h"
#include "tests/common/TestProgram.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long ProcStatusKb(const char* key)
{
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(std::string(key).size()));
    return -1;
}

// Lets VmHWM start again from the present resident size.
void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void Fill(CVespiraDoc& doc)
{
    for (int i = 0; i < doc.PointCount(); ++i)
        doc.m_pIntensity[i] = 10000 + (i * 7919) % 90000;
    for (int i = 0; i < 10000; ++i)
        doc.m_pScanTime[static_cast<std::size_t>(i) * 97] = 900.0f;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main()
{
    CStderrUi ui;
    CTestProgram state(ui);
    state.liveScan.SetPendingGrid(ScanGrid{1000, 1000, 0.0f, 99.9f, 0.1f, 0.0f, 99.9f, 0.1f});
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.rad");

    // Peak memory above the resident size before, for one document made, filled and
    // saved, then for one document opened from that file.
    const auto peakAbove = [](auto&& work) {
        const long baselineKb = ProcStatusKb("VmRSS:");
        ResetPeak();
        work();
        return static_cast<double>(ProcStatusKb("VmHWM:") - baselineKb) / 1024.0;
    };
    bool ok = true;
    const double saveMb = peakAbove([&] {
        CVespiraDoc doc(state);
        ok = ok && doc.OnNewDocument();
        Fill(doc);
        ok = ok && doc.OnSaveDocument(QFile::encodeName(path));
    });
    const double openMb = peakAbove([&] {
        CVespiraDoc doc(state);
        ok = ok && doc.OnOpenDocument(QFile::encodeName(path));
    });
    if (!ok)
        return 1;
    const double fileMb = static_cast<double>(QFileInfo(path).size()) / 1e6;

    CVespiraDoc doc(state);
    doc.OnNewDocument();
    Fill(doc);
    std::vector<double> writeMs;
    std::vector<double> readMs;
    std::vector<double> formatMs;
    std::vector<double> parseMs;
    const std::string text = PatternFileText(doc);
    std::size_t formatted = 0;
    for (int run = 0; run < 7; ++run) {
        auto t0 = Clock::now();
        WritePatternText(doc, [&formatted](std::string_view piece) {
            formatted += piece.size();
            return true;
        });
        auto t1 = Clock::now();
        CVespiraDoc parsed(state);
        ReadPatternText(parsed, text);
        auto t2 = Clock::now();
        formatMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        parseMs.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    if (formatted != 7 * text.size())
        return 1;
    for (int run = 0; run < 7; ++run) {
        auto t0 = Clock::now();
        if (!doc.OnSaveDocument(QFile::encodeName(path)))
            return 1;
        auto t1 = Clock::now();
        CVespiraDoc read(state);
        if (!read.OnOpenDocument(QFile::encodeName(path)))
            return 1;
        auto t2 = Clock::now();
        writeMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        readMs.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    const double w = Median(writeMs);
    const double r = Median(readMs);
    std::printf("pattern file 1000 x 1000, 10000 targets: %.1f MB of text\n", fileMb);
    std::printf("  write: %7.1f ms  %6.1f MB/s   (target >= 300 MB/s)\n", w, fileMb / w * 1e3);
    std::printf("  read:  %7.1f ms  %6.1f MB/s   (target >= 500 MB/s)\n", r, fileMb / r * 1e3);
    std::printf(
        "  of which text alone, in memory: format %.1f ms, parse %.1f ms (with a new grid)\n",
        Median(formatMs), Median(parseMs));
    std::printf(
        "  peak memory above baseline: new + save %.1f MB, open %.1f MB   (target < 40 MB)\n",
        saveMb, openMb);
    return 0;
}
