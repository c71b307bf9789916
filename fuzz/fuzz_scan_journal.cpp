// libFuzzer target: any bytes read as a scan journal (a file the program finds in its
// folder after a crash) must be read or refused without a crash, a hang or undefined
// behaviour; what is read restores into a pattern holding exactly its points, and what
// is shown of it on a terminal holds no control byte.
#include "document/CVespiraDoc.h"
#include "document/DocumentServices.h"
#include "fuzz/FuzzMemory.h"
#include "journal/ScanJournalFormat.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

class CSilentUi : public IHostUi
{
public:
    Answer ShowMessage(const QString&, Buttons, Answer defaultAnswer) override
    {
        return defaultAnswer;
    }
};

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void CheckPrintable(const std::string& shown)
{
    for (const char ch : shown) {
        const auto byte = static_cast<unsigned char>(ch);
        Check(byte >= 0x20 && byte != 0x7F);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ScanJournalContents contents;
    const JournalReadResult result = ReadScanJournal(text, contents);
    CheckPrintable(PrintableText(text));
    if (result != JournalReadResult::Ok)
        return 0;
    Check(contents.validLength <= size && text[contents.validLength - 1] == '\n');
    Check(contents.damagedLines.size() <= ScanJournalContents::kDamagedLinesKept &&
          static_cast<long>(contents.damagedLines.size()) <= contents.damagedRecords);
    for (const JournalPoint& p : contents.points)
        Check(p.col >= 0 && p.col < contents.grid.nXPoints && p.row >= 0 &&
              p.row < contents.grid.nYPoints);
    CheckPrintable(PrintableText(contents.title));
    CheckPrintable(PrintableText(contents.stopReason));
    const std::string began = JournalTimeText(contents.began);
    Check(began == "unknown" || began.size() == 23);

    CSilentUi ui;
    DocumentServices services(ui);
    FixFuzzMemory(services);
    CVespiraDoc doc(services);
    if (!RestoreScanJournal(contents, doc))
        return 0;
    Check(contents.ReceivedPoints() <= doc.PointCount());
    // Each received point holds the last value that came for it.
    for (auto p = contents.points.rbegin(); p != contents.points.rend(); ++p) {
        const std::int32_t value = doc.m_pIntensity[doc.IndexOf(p->col, p->row)];
        Check(value == p->value || std::any_of(contents.points.rbegin(), p, [&](const auto& q) {
                  return q.col == p->col && q.row == p->row;
              }));
    }
    return 0;
}
