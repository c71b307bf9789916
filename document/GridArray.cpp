#include "document/GridArray.h"

#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>

namespace {

constexpr std::size_t kHugePage = 2 * 1024 * 1024;

bool OnTheHeap(std::size_t bytes)
{
    return !kGridArraysOnHugePages || bytes < kHugePage;
}

std::size_t RoundUp(std::size_t bytes)
{
    return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

} // namespace

void* AllocateGridMemory(std::size_t bytes)
{
    if (OnTheHeap(bytes)) {
        if (void* memory = std::malloc(bytes == 0 ? 1 : bytes))
            return memory;
        throw std::bad_alloc();
    }
    // Whole huge pages, so the last one is not left to small pages either. Mapped with a
    // huge page to spare, then trimmed to the aligned part.
    const std::size_t length = RoundUp(bytes);
    if (length < bytes || length + kHugePage < length)
        throw std::bad_alloc();
    void* const mapped = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                                MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto base = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (base + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > base)
        ::munmap(mapped, aligned - base);
    if (const std::size_t tail = base + kHugePage - aligned; tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + length), tail);
    // Only a hint: where huge pages are off, small pages serve as before.
    ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void FreeGridMemory(void* memory, std::size_t bytes) noexcept
{
    if (OnTheHeap(bytes))
        std::free(memory);
    else
        ::munmap(memory, RoundUp(bytes));
}
