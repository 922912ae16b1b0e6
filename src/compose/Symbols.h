#pragma once

#include "compose/SymbolTarget.h"

#include <cstddef>
#include <string>
#include <string_view>

// The special character palette's symbols and what a click on one does to the
// box it writes into. Symbols are two-byte CP949 characters.
namespace qb {

namespace specialchars {

inline constexpr int kRows = 8;
inline constexpr int kColumns = 10;
inline constexpr int kCount = kRows * kColumns;

// Symbol k (0..79), counted row by row from the top-left; its two CP949 bytes.
std::string_view symbol(int k);

} // namespace specialchars

// `text` with the bytes [from, to) replaced by `insert`, and the caret just after
// it. Positions past the end are taken as the end.
struct Replaced {
    std::string text;
    std::size_t caret = 0;
};
Replaced replaceRange(std::string_view text, std::size_t from, std::size_t to, std::string_view insert);

} // namespace qb
