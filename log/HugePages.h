// Large buffers that are written whole right after they are made: on Linux
// the kernel is asked to back them with huge pages, so that filling them takes
// one page fault per 2 MB instead of one per 4 KB.
#pragma once

#include <cstddef>
#include <vector>

namespace quillon {

// Asks for huge pages under the whole 2 MB pages of [data, data + bytes).
void AdviseHugePages(const void* data, std::size_t bytes);

// Has the pages under [data, data + bytes) made before they are first
// written, side by side on every core: on a virtual machine, first writes to
// fresh memory take most of the time of filling a large buffer.
void MakePages(void* data, std::size_t bytes);

// Reserves room for count elements in vector, on huge pages where they help.
template <typename T> void ReserveHuge(std::vector<T>& vector, std::size_t count) {
    vector.reserve(count);
    AdviseHugePages(vector.data(), vector.capacity() * sizeof(T));
}

} // namespace quillon
