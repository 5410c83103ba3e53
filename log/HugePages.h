// Large buffers that are written whole right after they are made: on Linux
// the kernel is asked to back them with huge pages, so that filling them takes
// one page fault per 2 MB instead of one per 4 KB.
#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <string_view>
#include <vector>

namespace quillon {

// Asks for huge pages under the whole 2 MB pages of [data, data + bytes).
void AdviseHugePages(const void* data, std::size_t bytes);

// Has the pages under [data, data + bytes) made before they are first
// written, side by side on every core: on a virtual machine, first writes to
// fresh memory take most of the time of filling a large buffer.
void MakePages(void* data, std::size_t bytes);

// Room for bytes. On Linux a room of 2 MB or more is mapped on its own, from
// a 2 MB boundary to the next after its end, and huge pages back all of it; a
// smaller one comes from the heap. FreeHuge(room, bytes) gives it back.
void* AllocateHuge(std::size_t bytes);
void FreeHuge(void* room, std::size_t bytes) noexcept;

// The rooms of AllocateHuge that are mapped on their own, in bytes: the heap
// does not count them.
std::size_t MappedHugeBytes();

// Gives vectors rooms of AllocateHuge: a heap block of several MB is not on a
// 2 MB boundary, and up to 2 MB at each of its ends stay on small pages, a
// page fault for every 4 KB of them.
template <typename T> struct THugeAllocator {
    using value_type = T;
    THugeAllocator() = default;
    template <typename U> THugeAllocator(const THugeAllocator<U>&) noexcept {}
    T* allocate(std::size_t count) { return static_cast<T*>(AllocateHuge(count * sizeof(T))); }
    void deallocate(T* room, std::size_t count) noexcept { FreeHuge(room, count * sizeof(T)); }
    template <typename U> bool operator==(const THugeAllocator<U>&) const noexcept { return true; }
};

template <typename T> using THugeVector = std::vector<T, THugeAllocator<T>>;

template <typename T> void ReserveHuge(THugeVector<T>& vector, std::size_t count) {
    vector.reserve(count);
}

// Reserves room for count elements in vector, on huge pages where they help.
// The advice comes before the elements move over, so that their copy is
// written to huge pages too.
template <typename T> void ReserveHuge(std::vector<T>& vector, std::size_t count) {
    if (count <= vector.capacity())
        return;
    std::vector<T> room;
    room.reserve(count);
    AdviseHugePages(room.data(), room.capacity() * sizeof(T));
    room.insert(room.end(), std::make_move_iterator(vector.begin()),
                std::make_move_iterator(vector.end()));
    vector.swap(room);
}

// Text of a fixed room, appended to and never moved. On Linux a room of 2 MB
// or more is mapped on its own, from a 2 MB boundary, so that huge pages back
// all of it.
class THugeText {
public:
    explicit THugeText(std::size_t capacity);

    char* data() { return Bytes.get(); }
    const char* data() const { return Bytes.get(); }
    std::size_t size() const { return Size; }
    std::size_t capacity() const { return Capacity; }
    // Appends bytes, which must fit in the room left.
    void append(std::string_view bytes);
    // Empties the text; its room stays.
    void clear() { Size = 0; }

private:
    struct TRelease {
        std::size_t Capacity;
        void operator()(char* bytes) const { FreeHuge(bytes, Capacity); }
    };
    std::unique_ptr<char[], TRelease> Bytes;
    std::size_t Size = 0;
    std::size_t Capacity = 0;
};

// Rooms of huge texts that have been read, kept to be written again: fresh
// memory is slow to write the first time. Keeps the largest few.
class TSpareRooms {
public:
    explicit TSpareRooms(std::size_t most) : Most(most) { Rooms.reserve(most); }

    // An empty room of at least bytes: a spare one where one is that large.
    THugeText Take(std::size_t bytes);
    // Keeps room, in place of the smallest spare when there are enough
    // already. Never allocates.
    void Keep(THugeText room);
    void swap(TSpareRooms& other) noexcept { Rooms.swap(other.Rooms); }
    void clear() { Rooms.clear(); }

private:
    std::size_t Most;
    std::vector<THugeText> Rooms;
};

} // namespace quillon
