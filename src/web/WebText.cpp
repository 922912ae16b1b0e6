#include "web/WebText.h"

#include "common/Bytes.h"

namespace qb::webtext {

std::string escapeForSave(std::string_view text) {
    std::string s = bytes::replaceAll(text, "\r\n", "\n");
    s = bytes::replaceAll(s, "\\", "\\\\");
    return bytes::replaceAll(s, "'", "\\'");
}

std::string toCrLf(std::string_view text) {
    return bytes::replaceAll(text, "\n", "\r\n");
}

bool isSafePictureName(std::string_view name) {
    if (name.empty() || name.size() > 255 || name == "." || name.find("..") != std::string_view::npos)
        return false;
    // CP949 trail bytes are 0x41 and above, but never 0x5C, so a byte test is exact.
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::string fill(std::string_view cp949Template, std::initializer_list<std::string_view> args) {
    std::string out;
    auto next = args.begin();
    for (std::size_t i = 0; i < cp949Template.size(); ++i) {
        const char c = cp949Template[i];
        if (c == '%' && i + 1 < cp949Template.size() &&
            (cp949Template[i + 1] == 's' || cp949Template[i + 1] == 'd') && next != args.end()) {
            out.append(*next++);
            ++i;
            continue;
        }
        out += c; // '%' (0x25) is never the trail byte of a two-byte character
    }
    return out;
}

} // namespace qb::webtext
