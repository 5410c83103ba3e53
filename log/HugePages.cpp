#include "HugePages.h"

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace quillon {

namespace {

constexpr std::uintptr_t HugePage = std::uintptr_t(2) << 20;
constexpr std::uintptr_t SmallPage = std::uintptr_t(4) << 10;
constexpr std::uintptr_t PagesAtOnce = std::uintptr_t(16) << 20;

} // namespace

void AdviseHugePages(const void* data, std::size_t bytes) {
#if defined(__linux__)
    const auto first = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (first + HugePage - 1) & ~(HugePage - 1);
    const std::uintptr_t end = (first + bytes) & ~(HugePage - 1);
    // Advice only: where the kernel cannot follow it, the pages stay small.
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

void MakePages(void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    const auto first = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (first + SmallPage - 1) & ~(SmallPage - 1);
    const std::uintptr_t end = (first + bytes) & ~(SmallPage - 1);
    if (end <= begin)
        return;
    const std::uintptr_t threads = std::max(std::thread::hardware_concurrency(), 1u);
    const std::uintptr_t share = ((end - begin) / threads + HugePage - 1) & ~(HugePage - 1);
    // Where the kernel cannot make them ahead, the pages are made on first
    // write. A few at a time, so that other threads may map memory meanwhile.
    auto make = [](std::uintptr_t from, std::uintptr_t to) {
        for (; from < to; from += PagesAtOnce)
            madvise(reinterpret_cast<void*>(from), std::min(PagesAtOnce, to - from),
                    MADV_POPULATE_WRITE);
    };
    std::vector<std::jthread> others;
    for (std::uintptr_t from = begin + share; from < end; from += share)
        others.emplace_back(make, from, std::min(from + share, end));
    make(begin, std::min(begin + share, end));
#else
    (void)data;
    (void)bytes;
#endif
}

} // namespace quillon
