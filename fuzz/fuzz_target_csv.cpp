// libFuzzer target: any bytes read as a target list against a grid must be taken or
// reported line by line without a crash, a hang or undefined behaviour; what is taken
// writes and reads back as the same targets.
#include "document/CVespiraDoc.h"
#include "document/DocumentServices.h"
#include "document/IHostUi.h"
#include "exchange/TargetCsv.h"
#include "fuzz/FuzzMemory.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CSilentUi ui;
    DocumentServices state(ui);
    FixFuzzMemory(state);
    // The first bytes choose the grid: counts of 1 to 64 and steps that are and are not
    // exact in binary, rising or falling.
    ScanGrid grid;
    if (size >= 4) {
        const float steps[] = {0.5f, 0.1f, 0.25f, 1.0f, 0.2f, 0.05f, -0.5f, 0.001f};
        grid.fXInc = steps[data[0] & 7];
        grid.fYInc = steps[(data[0] >> 3) & 7];
        grid.fXBeg = static_cast<float>(static_cast<std::int8_t>(data[1])) / 4.0f;
        grid.fYBeg = static_cast<float>(static_cast<std::int8_t>(data[2])) / 4.0f;
        grid.nXPoints = 1 + (data[3] & 63);
        grid.nYPoints = 1 + ((data[3] >> 2) & 63);
        grid.fXEnd = grid.fXBeg + grid.fXInc * static_cast<float>(grid.nXPoints - 1);
        grid.fYEnd = grid.fYBeg + grid.fYInc * static_cast<float>(grid.nYPoints - 1);
        data += 4;
        size -= 4;
    }
    CVespiraDoc doc(state);
    if (!doc.SetUpGrid(grid))
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TargetImport import = ParseTargetCsv(doc, text);
    if (!import.isList && !import.targets.empty())
        std::abort();
    // An accepted time is greater than 0.9f as a double, so it may round to 0.9f itself.
    for (const PointTime& target : import.targets)
        if (target.index < 0 || target.index >= doc.PointCount() || !(target.time >= 0.9f))
            std::abort();
    ApplyTargetImport(doc, import);
    DescribeProblems(import.problems);

    const std::string written = TargetCsvText(doc);
    CVespiraDoc again(state);
    if (!again.SetUpGrid(grid))
        return 0;
    const TargetImport back = ParseTargetCsv(again, written);
    ApplyTargetImport(again, back);
    // Negative steps place points by a rule that need not invert; elsewhere it must.
    if (grid.fXInc > 0.0f && grid.fYInc > 0.0f &&
        (!back.problems.empty() || std::memcmp(doc.m_pScanTime.data(), again.m_pScanTime.data(),
                                               doc.m_pScanTime.size() * sizeof(float)) != 0))
        std::abort();
    return 0;
}
