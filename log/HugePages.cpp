#include "HugePages.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace quillon {

namespace {

constexpr std::uintptr_t HugePage = std::uintptr_t(2) << 20;

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

} // namespace quillon
