#pragma once

#include <cstddef>
#include <new>
#include <vector>

// Memory for one array of a grid. An array of 2 MB or more gets a mapping of its own that
// starts on a huge-page boundary, so clearing it takes a fault per 2 MB rather than per
// 4 KB; on a virtual machine, small-page faults were most of the time to open a large
// pattern. Smaller arrays come from the heap as usual.
//
// AddressSanitizer watches only the heap: under it every array stays there, so that a read
// past the end is still caught.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kGridArraysOnHugePages = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kGridArraysOnHugePages = false;
#else
inline constexpr bool kGridArraysOnHugePages = true;
#endif
#else
inline constexpr bool kGridArraysOnHugePages = true;
#endif

void* AllocateGridMemory(std::size_t bytes);
void FreeGridMemory(void* memory, std::size_t bytes) noexcept;

template <typename T>
struct GridAllocator
{
    using value_type = T;

    GridAllocator() = default;
    template <typename U>
    GridAllocator(const GridAllocator<U>&) noexcept
    {}

    T* allocate(std::size_t n)
    {
        if (n > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(AllocateGridMemory(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { FreeGridMemory(p, n * sizeof(T)); }

    template <typename U>
    bool operator==(const GridAllocator<U>&) const noexcept
    {
        return true;
    }
};

template <typename T>
using GridArray = std::vector<T, GridAllocator<T>>;
