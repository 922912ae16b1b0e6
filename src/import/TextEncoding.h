#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Which encoding a text file is read in, found from its bytes or chosen by the user,
// and its bytes turned into CP949.
namespace qb {

// The user's choice; Auto finds it.
enum class TextEncoding { Auto, Utf8, Cp949, Utf16 };

// "자동", "UTF-8", "CP949", "UTF-16" (CP949), in the order of TextEncoding.
const std::vector<std::string>& encodingItems();

// What a file was read as.
struct FileEncoding {
    enum Kind { Cp949, Utf8, Utf16Le, Utf16Be } kind = Cp949;
    std::size_t bomBytes = 0; // at the start of the file, not part of the text
    // Auto only: the first line (from 1) that is UTF-8 and cannot be CP949, and the
    // first that is CP949 and cannot be UTF-8. Both set: the file mixes them and is
    // refused.
    std::size_t utf8Line = 0, cp949Line = 0;
    bool mixed() const { return utf8Line != 0 && cp949Line != 0; }
    // "CP949", "UTF-8", "UTF-16 LE", "UTF-16 BE".
    const char* name() const;
};

// Decides from the byte-order mark, else line by line. `parts` are the file's bytes one
// after the other, none starting inside a line.
FileEncoding findEncoding(std::span<const std::string_view> parts, TextEncoding choice);

// UTF-16 (without its mark) as CP949; unpaired surrogates, a last odd byte and
// characters CP949 lacks become '?' and are counted. `replacedAt`, when given, gets
// where in `out` each such '?' stands.
std::size_t utf16ToCp949(std::string_view bytes, bool bigEndian, std::string& out,
                         std::vector<std::size_t>* replacedAt = nullptr);

} // namespace qb
