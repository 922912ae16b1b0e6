#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// All text inside the program is CP949 bytes. These helpers are the only place
// that converts; they use glibc iconv, whose "CP949" is the Windows code page
// (Qt's codec of that name is not).
namespace qb::cp949 {

struct Conversion {
    std::string text;
    // Characters that have no CP949 form (or malformed input sequences);
    // each was written as '?'.
    std::size_t unmappable = 0;
    bool ok() const { return unmappable == 0; }
};

Conversion fromUtf8(std::string_view utf8);
// The same, noting in `replacedAt` where in the text each '?' of a replaced
// character stands (in order).
Conversion fromUtf8(std::string_view utf8, std::vector<std::size_t>* replacedAt);
// Bytes that are not valid CP949 become U+FFFD.
std::string toUtf8(std::string_view cp949);
// The same into `out`, whose buffer is reused (large texts converted a block at a time).
void toUtf8(std::string_view cp949, std::string& out);

bool isValidUtf8(std::string_view bytes);

// A file name or path as the file system gives it (UTF-8 on this platform) made
// into text for a message; bytes that are not UTF-8 are kept as they are.
std::string fromNativePath(std::string_view path);
// Whether bytes that may be either UTF-8 or CP949 are UTF-8: valid UTF-8 that holds a
// Hangul syllable in its UTF-8 form (U+AC00..U+D7A3), or valid UTF-8 with multi-byte
// sequences that CP949 cannot read. Validity alone is not enough: 345 Hangul syllables
// have CP949 bytes that are valid UTF-8 too ("홍", "채", "첸", ...).
bool looksLikeUtf8(std::string_view bytes);
// The same for the bytes of `parts` one after the other, where no part begins inside
// a character.
bool looksLikeUtf8(std::span<const std::string_view> parts);
// Every byte sequence is a CP949 character (not necessarily an assigned one of glibc's table).
bool isValidCp949(std::string_view bytes);

inline bool isLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

// The largest n <= limit such that s[0, n) does not end inside a two-byte character.
std::size_t safeCutLength(std::string_view s, std::size_t limit);
inline std::string cutBytes(std::string_view s, std::size_t limit) {
    return std::string(s.substr(0, safeCutLength(s, limit)));
}

} // namespace qb::cp949

namespace qb {
// A UTF-8 literal of the source (a message, a caption) as CP949 bytes.
// The literals are ours, so a failing conversion is a programming error and aborts.
std::string ko(std::string_view utf8Literal);
} // namespace qb
