// libFuzzer target: any bytes read as a look-up-table file must give one of the reader's
// results without a crash or undefined behaviour, and only whole colours.
#include "display/LookupTable.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An empty file has its unit test; fmemopen wants at least one byte.
    if (size == 0)
        return 0;
    std::vector<char> bytes(data, data + size);
    std::FILE* file = fmemopen(bytes.data(), bytes.size(), "r");
    if (file == nullptr)
        return 0;
    ColourTable table{};
    const int result = ReadLookupTableStream(file, table);
    std::fclose(file);
    if (result != kLutDone && result != kLutNoHeader && result != kLutShort)
        std::abort();
    for (const COLORREF colour : table)
        if ((colour & 0xFF000000u) != 0)
            std::abort();
    return 0;
}
