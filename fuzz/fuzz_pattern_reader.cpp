// libFuzzer target: any bytes handed to the pattern reader must be read or refused
// without a crash, a hang or undefined behaviour.
#include "document/CPatternFile.h"
#include "document/CVespiraDoc.h"
#include "fuzz/FuzzFolder.h"
#include "fuzz/FuzzMemory.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CSilentUi ui;
    DocumentServices services(ui);
    FixFuzzMemory(services);
    CVespiraDoc doc(services);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (ReadPatternText(doc, text) == PatternReadResult::Ok) {
        // What was read must write and read back the same.
        const std::string written = PatternFileText(doc);
        CVespiraDoc again(services);
        ReadPatternText(again, written);
    }
    return 0;
}
