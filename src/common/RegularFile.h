#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>

namespace qb {

enum class FileRead {
    Ok,
    Missing,  // no regular file there, or it cannot be read
    TooLarge, // more than the caller's limit; nothing of it was read
};

// The whole of a regular file as bytes, at most `maxBytes` of them. Anything else
// is refused at once: a missing file, a folder, a FIFO (which would wait for a
// writer), a device such as /dev/zero (which never ends), or a file that cannot be
// read. A file over the limit is refused by its size before it is read, and a file
// that grows past the limit while it is read is refused without holding more.
FileRead readRegularFile(const std::string& path, std::string& out, std::size_t maxBytes);

inline bool readRegularFile(const std::string& path, std::string& out) {
    return readRegularFile(path, out, std::numeric_limits<std::size_t>::max()) == FileRead::Ok;
}

// The same file read a block at a time from byte `from` on, for files that need
// not be held whole: sink(std::string_view block) for each block in order, for as
// long as it returns true. False for what readRegularFile refuses (the blocks
// before a read error have been given).
bool readRegularFileBlocksFrom(const std::string& path, std::uint64_t from,
                               bool (*sink)(void*, std::string_view), void* context);
template <typename Sink>
bool readRegularFileBlocksFrom(const std::string& path, std::uint64_t from, Sink&& sink) {
    return readRegularFileBlocksFrom(
        path, from,
        [](void* c, std::string_view block) {
            return (*static_cast<std::remove_reference_t<Sink>*>(c))(block);
        },
        const_cast<void*>(static_cast<const void*>(&sink)));
}

// A regular file that opens for reading; asked of what was opened, never of the name alone.
bool regularFileReadable(const std::string& path);

// The file's name: what follows the last '/' of its path (the whole path when
// there is none). Paths are the file system's bytes, and '\\' is a name's byte.
std::string_view baseName(std::string_view path);

} // namespace qb
