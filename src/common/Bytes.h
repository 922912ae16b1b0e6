#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Small helpers over CP949 byte strings. Everything here works on single bytes;
// callers decide when that is what they want.
namespace qb::bytes {

std::string_view trim(std::string_view s);                     // spaces and tabs at both ends
bool equalsIgnoreCase(std::string_view a, std::string_view b); // ASCII letters only

// Maximal runs of bytes not in `separators`: runs of separators count as one and
// separators at either end are ignored, so no field is empty.
std::vector<std::string_view> splitRuns(std::string_view s, std::string_view separators);

// Every occurrence of `from` (left to right, non-overlapping) replaced by `to`.
std::string replaceAll(std::string_view s, std::string_view from, std::string_view to);

// Non-negative decimal integer made only of digits; false for empty, signs, spaces or overflow.
bool parseDecimal(std::string_view s, long long& value);

} // namespace qb::bytes
