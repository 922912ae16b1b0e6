#include "import/TextEncoding.h"

#include "common/Cp949.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace qb {
namespace {

// Whether every character is a two-byte code CP949 assigns a lead and trail range to:
// leads 81..C6 take the extended trails (41..5A, 61..7A, 81..FE), leads C7..FE only
// A1..FE. Tighter than any lead with any trail, so that UTF-8 text rarely passes.
bool cp949Shaped(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto lead = static_cast<unsigned char>(s[i]);
        if (lead < 0x80)
            continue;
        if (lead == 0x80 || lead == 0xFF || i + 1 >= s.size())
            return false;
        const auto trail = static_cast<unsigned char>(s[++i]);
        const bool ok = lead <= 0xC6 ? (trail >= 0x41 && trail <= 0x5A) || (trail >= 0x61 && trail <= 0x7A) ||
                                           (trail >= 0x81 && trail <= 0xFE)
                                     : trail >= 0xA1 && trail <= 0xFE;
        if (!ok)
            return false;
    }
    return true;
}

std::size_t firstHighByte(std::string_view s, std::size_t from) {
    while (from + 8 <= s.size()) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + from, 8);
        if ((word & 0x8080808080808080ULL) != 0)
            break;
        from += 8;
    }
    while (from < s.size() && static_cast<unsigned char>(s[from]) < 0x80)
        ++from;
    return from;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

const std::vector<std::string>& encodingItems() {
    static const std::vector<std::string> items = {ko("자동"), "UTF-8", "CP949", "UTF-16"};
    return items;
}

const char* FileEncoding::name() const {
    switch (kind) {
    case Utf8:
        return "UTF-8";
    case Utf16Le:
        return "UTF-16 LE";
    case Utf16Be:
        return "UTF-16 BE";
    case Cp949:
        break;
    }
    return "CP949";
}

FileEncoding findEncoding(std::span<const std::string_view> parts, TextEncoding choice) {
    std::string_view start;
    for (const std::string_view p : parts)
        if (!p.empty()) {
            start = p;
            break;
        }
    const auto startsWith = [&](std::string_view mark) { return start.substr(0, mark.size()) == mark; };
    FileEncoding e;
    if (startsWith("\xFF\xFE") && (choice == TextEncoding::Auto || choice == TextEncoding::Utf16))
        return {FileEncoding::Utf16Le, 2};
    if (startsWith("\xFE\xFF") && (choice == TextEncoding::Auto || choice == TextEncoding::Utf16))
        return {FileEncoding::Utf16Be, 2};
    if (choice == TextEncoding::Utf16)
        return {FileEncoding::Utf16Le, 0};
    const std::size_t utf8Bom = startsWith("\xEF\xBB\xBF") ? 3 : 0;
    if (choice == TextEncoding::Utf8 || (choice == TextEncoding::Auto && utf8Bom))
        return {FileEncoding::Utf8, utf8Bom};
    if (choice == TextEncoding::Cp949)
        return e;

    // Line by line: a line that only one of the two can read decides for its file.
    std::size_t lineNo = 1;
    for (const std::string_view text : parts) {
        std::size_t counted = 0, pos = 0;
        while (!e.mixed()) {
            pos = firstHighByte(text, pos);
            if (pos >= text.size())
                break;
            const std::size_t nl = text.rfind('\n', pos);
            const std::size_t begin = nl == std::string_view::npos ? 0 : nl + 1;
            std::size_t end = text.find('\n', pos);
            end = end == std::string_view::npos ? text.size() : end;
            lineNo +=
                static_cast<std::size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(counted),
                                                    text.begin() + static_cast<std::ptrdiff_t>(begin), '\n'));
            counted = begin;
            const std::string_view line = text.substr(begin, end - begin);
            const bool utf8 = cp949::isValidUtf8(line), cp949 = cp949Shaped(line);
            if (utf8 && !cp949 && e.utf8Line == 0)
                e.utf8Line = lineNo;
            if (cp949 && !utf8 && e.cp949Line == 0)
                e.cp949Line = lineNo;
            pos = end;
        }
        if (e.mixed())
            return e;
        lineNo += static_cast<std::size_t>(
            std::count(text.begin() + static_cast<std::ptrdiff_t>(counted), text.end(), '\n'));
    }
    if (e.utf8Line != 0 || (e.cp949Line == 0 && cp949::looksLikeUtf8(parts)))
        e.kind = FileEncoding::Utf8;
    return e;
}

std::size_t utf16ToCp949(std::string_view bytes, bool bigEndian, std::string& out,
                         std::vector<std::size_t>* replacedAt) {
    std::string utf8;
    utf8.reserve(bytes.size() * 3 / 2 + 16);
    // What UTF-16 cannot give becomes a byte UTF-8 never holds, which the conversion
    // then replaces, counts and places with the rest.
    constexpr char kBad = '\xFF';
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? char32_t(a) << 8 | b : char32_t(b) << 8 | a;
    };
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            utf8 += kBad;
            continue;
        }
        appendUtf8(utf8, cp);
    }
    if (i < bytes.size())
        utf8 += kBad;
    cp949::Conversion c = cp949::fromUtf8(utf8, replacedAt);
    out = std::move(c.text);
    return c.unmappable;
}

} // namespace qb
