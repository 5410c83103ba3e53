#include "HugePages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

using namespace quillon;

// A vector grows from heap blocks into rooms mapped on their own, keeping its
// elements. A mapped room starts on a 2 MB boundary and ends on one, so that
// huge pages can back it all, and every room is given back.
TEST(HugePages, AVectorGrowsIntoRoomsOnHugePageBoundariesAndGivesThemBack) {
    constexpr std::uintptr_t HugePage = std::uintptr_t(2) << 20;
    const std::size_t mappedBefore = MappedHugeBytes();
    {
        THugeVector<std::uint64_t> values;
        const std::uint64_t count = 3 * HugePage / sizeof(std::uint64_t) + 5;
        for (std::uint64_t i = 0; i < count; ++i)
            values.push_back(i * 7);
        const std::size_t mapped = MappedHugeBytes() - mappedBefore;
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(values.data()) % HugePage, 0u);
        EXPECT_GE(mapped, values.capacity() * sizeof(std::uint64_t));
        EXPECT_EQ(mapped % HugePage, 0u);
#else
        EXPECT_EQ(mapped, 0u); // from the heap, where its bounds are checked
#endif
        const THugeVector<std::uint64_t> moved = std::move(values);
        ASSERT_EQ(moved.size(), count);
        std::uint64_t wrong = 0;
        for (std::uint64_t i = 0; i < count; ++i)
            wrong += moved[i] != i * 7;
        EXPECT_EQ(wrong, 0u);
    }
    EXPECT_EQ(MappedHugeBytes(), mappedBefore);
}
