#pragma once

#include "document/DocumentServices.h"
#include "document/ScanGrid.h"

#include <cstdint>
#include <optional>

// A fixed figure for free memory instead of the machine's keeps runs repeatable and each
// input quick: grids of up to about a million points are made, larger ones are refused.
inline void FixFuzzMemory(DocumentServices& services)
{
    services.availableMemory = [] {
        return std::optional<std::uint64_t>(kMemoryReserve + (std::uint64_t{12} << 20));
    };
}
