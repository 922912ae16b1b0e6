#pragma once

#include <cstddef>

namespace qb {

// Asks the kernel to back the 2 MiB-aligned part of [data, data + bytes) with huge
// pages where it offers them (transparent huge pages in "madvise" mode). For the
// buffers of a million-row job, filled once and then read: a few dozen page faults
// instead of tens of thousands. A hint only; nothing changes where it is not taken.
void adviseHugePages(const void* data, std::size_t bytes);

// The whole capacity of a std::string or std::vector, reserved beforehand.
template <typename Container> void adviseHugePages(const Container& c) {
    adviseHugePages(c.data(), c.capacity() * sizeof(*c.data()));
}

} // namespace qb
