#pragma once

#include <cstddef>

// Lengths in the packed arenas of the recipient table and the send queue: seven
// bits a byte, low bits first, the high bit set on every byte but the last.
// Millions of rows keep their lengths in one or two bytes this way.
namespace qb::varint {

// At most this many bytes for a std::size_t.
inline constexpr std::size_t kMaxBytes = (sizeof(std::size_t) * 8 + 6) / 7;

// Writes `v` at `p` and returns the byte after it.
inline char* put(char* p, std::size_t v) {
    while (v >= 0x80) {
        *p++ = static_cast<char>((v & 0x7F) | 0x80);
        v >>= 7;
    }
    *p++ = static_cast<char>(v);
    return p;
}

// Reads the value at `p` and moves `p` past it. Only for bytes put() wrote.
inline std::size_t get(const char*& p) {
    std::size_t v = 0;
    int shift = 0;
    while (true) {
        const auto c = static_cast<unsigned char>(*p++);
        v |= static_cast<std::size_t>(c & 0x7F) << shift;
        if (!(c & 0x80))
            return v;
        shift += 7;
    }
}

} // namespace qb::varint
