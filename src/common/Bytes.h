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

// Fields as maximal runs of bytes not in a set of separators: runs of
// separators count as one and separators at either end are ignored, so no field
// is empty. Built once per set; the text import splits millions of lines with one.
class RunSplitter {
public:
    explicit RunSplitter(std::string_view separators) {
        for (unsigned char c : separators)
            m_isSeparator[c] = true;
    }
    // Calls field(std::string_view) for each field in order; returns how many.
    template <class Field> int forEach(std::string_view s, Field&& field) const {
        int count = 0;
        std::size_t i = 0;
        while (i < s.size()) {
            while (i < s.size() && m_isSeparator[static_cast<unsigned char>(s[i])])
                ++i;
            const std::size_t start = i;
            while (i < s.size() && !m_isSeparator[static_cast<unsigned char>(s[i])])
                ++i;
            if (i > start) {
                field(s.substr(start, i - start));
                ++count;
            }
        }
        return count;
    }

private:
    bool m_isSeparator[256] = {};
};

std::vector<std::string_view> splitRuns(std::string_view s, std::string_view separators);

// Every occurrence of `from` (left to right, non-overlapping) replaced by `to`.
std::string replaceAll(std::string_view s, std::string_view from, std::string_view to);
// The same into `out`, whose buffer is reused (a merge runs it per row).
void replaceInto(std::string& out, std::string_view s, std::string_view from, std::string_view to);

// Non-negative decimal integer made only of digits; false for empty, signs, spaces or overflow.
bool parseDecimal(std::string_view s, long long& value);

// Appends the code point as UTF-8 (the workbook readers' cell text).
void appendUtf8(std::string& out, char32_t cp);

} // namespace qb::bytes
