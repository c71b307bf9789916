#include "document/GridArray.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <numeric>

namespace {

constexpr std::size_t kHugePage = 2 * 1024 * 1024;

} // namespace

// Sizes around the 2 MB line and a length that is no whole number of huge pages: every
// value written must read back, through growth, copies and shrinking.
TEST(GridArrayTest, ValuesSurviveEveryMoveAcrossTheHugePageLine)
{
    const std::size_t large = (kHugePage + kHugePage / 2) / sizeof(std::int32_t) + 3;
    GridArray<std::int32_t> values(1000, 0);
    std::iota(values.begin(), values.end(), 0);
    values.resize(large);
    EXPECT_EQ(values[999], 999);
    EXPECT_EQ(values[1000], 0);
    EXPECT_EQ(values.back(), 0);
    std::iota(values.begin(), values.end(), 0);

    GridArray<std::int32_t> copy = values;
    EXPECT_EQ(copy, values);
    EXPECT_EQ(copy.back(), static_cast<std::int32_t>(large - 1));

    values.resize(10);
    values.shrink_to_fit();
    EXPECT_EQ(values.back(), 9);
    copy = values;
    EXPECT_EQ(copy.size(), 10u);

    GridArray<float> zeroes;
    zeroes.assign(large, 0.0f);
    EXPECT_EQ(std::accumulate(zeroes.begin(), zeroes.end(), 0.0), 0.0);
}

TEST(GridArrayTest, ALargeArrayStartsOnAHugePage)
{
    if (!kGridArraysOnHugePages)
        GTEST_SKIP() << "under AddressSanitizer every array stays on the heap";
    const GridArray<float> scanTime(1000 * 1000, 0.0f);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(scanTime.data()) % kHugePage, 0u);
}

// A size whose bytes overflow, and one no system can map: both refused as bad_alloc, which
// the document turns into a refused grid.
TEST(GridArrayTest, AnImpossibleSizeIsABadAllocation)
{
    GridAllocator<std::int32_t> allocator;
    EXPECT_THROW(static_cast<void>(allocator.allocate(static_cast<std::size_t>(-1) / 2)),
                 std::bad_alloc);
    if (!kGridArraysOnHugePages)
        GTEST_SKIP() << "AddressSanitizer stops the program on a request this large";
    EXPECT_THROW(static_cast<void>(allocator.allocate(static_cast<std::size_t>(-1) / 8)),
                 std::bad_alloc);
}
