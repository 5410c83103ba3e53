#include "HugePages.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
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

// The rooms mapped on their own, in bytes.
std::atomic<std::size_t> MappedRoom{0};

// Whether a room of capacity bytes is mapped on its own, on a 2 MB boundary,
// rather than taken from the heap. Under AddressSanitizer every room comes
// from the heap, where its bounds are checked.
bool MappedOnItsOwn(std::size_t capacity) {
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
    return capacity >= HugePage;
#else
    (void)capacity;
    return false;
#endif
}

std::size_t MappedLength(std::size_t capacity) {
    return (capacity + HugePage - 1) & ~(HugePage - 1);
}

} // namespace

void* AllocateHuge(std::size_t capacity) {
#if defined(__linux__)
    if (MappedOnItsOwn(capacity)) {
        // Mapped with a huge page to spare, then trimmed to the boundary.
        const std::size_t length = MappedLength(capacity);
        void* const mapped = mmap(nullptr, length + HugePage, PROT_READ | PROT_WRITE,
                                  MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            throw std::bad_alloc();
        const auto first = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t begin = (first + HugePage - 1) & ~(HugePage - 1);
        if (begin > first)
            munmap(mapped, begin - first);
        if (const std::uintptr_t end = begin + length; first + length + HugePage > end)
            munmap(reinterpret_cast<void*>(end), first + length + HugePage - end);
        MappedRoom += length;
        AdviseHugePages(reinterpret_cast<void*>(begin), length);
        return reinterpret_cast<void*>(begin);
    }
#endif
    void* const room = ::operator new(std::max<std::size_t>(capacity, 1));
    AdviseHugePages(room, capacity);
    return room;
}

void FreeHuge(void* room, std::size_t capacity) noexcept {
#if defined(__linux__)
    if (MappedOnItsOwn(capacity)) {
        munmap(room, MappedLength(capacity));
        MappedRoom -= MappedLength(capacity);
        return;
    }
#endif
    ::operator delete(room);
}

std::size_t MappedHugeBytes() {
    return MappedRoom;
}

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

THugeText::THugeText(std::size_t capacity)
    : Bytes(static_cast<char*>(AllocateHuge(capacity)), TRelease{capacity}), Capacity(capacity) {}

void THugeText::append(std::string_view bytes) {
    if (!bytes.empty())
        std::memcpy(Bytes.get() + Size, bytes.data(), bytes.size());
    Size += bytes.size();
}

THugeText TSpareRooms::Take(std::size_t bytes) {
    const auto fits = std::find_if(Rooms.begin(), Rooms.end(),
                                   [&](const THugeText& room) { return room.capacity() >= bytes; });
    if (fits == Rooms.end())
        return THugeText(bytes);
    THugeText room = std::move(*fits);
    Rooms.erase(fits);
    room.clear();
    return room;
}

void TSpareRooms::Keep(THugeText room) {
    if (Rooms.size() < Most)
        return Rooms.push_back(std::move(room));
    const auto smallest =
        std::min_element(Rooms.begin(), Rooms.end(), [](const THugeText& a, const THugeText& b) {
            return a.capacity() < b.capacity();
        });
    if (smallest != Rooms.end() && smallest->capacity() < room.capacity())
        *smallest = std::move(room);
}

} // namespace quillon
