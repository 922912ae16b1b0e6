#include "import/XmlScanner.h"

#include "common/Bytes.h"

#include <charconv>
#include <expat.h>
#include <string>

namespace qb::xlsx {
namespace {

// One UTF-8 character of two bytes or more at `r`, as XML allows it: its
// length, 0 when it is none.
std::size_t utf8Length(const char* r, const char* stop) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(r[i]); };
    const auto cont = [&](std::size_t i) { return r + i < stop && (b(i) & 0xC0) == 0x80; };
    const unsigned char c = b(0);
    if (c >= 0xC2 && c <= 0xDF)
        return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(1) || !cont(2))
            return 0;
        if ((c == 0xE0 && b(1) < 0xA0) || (c == 0xED && b(1) >= 0xA0))
            return 0; // overlong, surrogate
        if (c == 0xEF && b(1) == 0xBF && b(2) >= 0xBE)
            return 0; // U+FFFE, U+FFFF
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3))
            return 0;
        if ((c == 0xF0 && b(1) < 0x90) || (c == 0xF4 && b(1) >= 0x90))
            return 0;
        return 4;
    }
    return 0;
}

// "&...;" at `r`, written as UTF-8 at `w`; false when it is no reference XML
// allows without a DTD.
bool reference(const char*& r, const char* stop, char*& w) {
    const char* semi = static_cast<const char*>(std::memchr(r, ';', static_cast<std::size_t>(stop - r)));
    if (!semi)
        return false;
    const std::string_view name(r + 1, static_cast<std::size_t>(semi - r - 1));
    char32_t cp = 0;
    if (name == "lt")
        cp = '<';
    else if (name == "gt")
        cp = '>';
    else if (name == "amp")
        cp = '&';
    else if (name == "quot")
        cp = '"';
    else if (name == "apos")
        cp = '\'';
    else if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        std::uint32_t v = 0;
        const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), v, hex ? 16 : 10);
        if (digits.empty() || res.ec != std::errc() || res.ptr != digits.data() + digits.size())
            return false;
        const bool allowed = v == 0x9 || v == 0xA || v == 0xD || (v >= 0x20 && v <= 0xD7FF) ||
                             (v >= 0xE000 && v <= 0xFFFD) || (v >= 0x10000 && v <= 0x10FFFF);
        if (!allowed)
            return false;
        cp = v;
    } else {
        return false;
    }
    // Never longer than the reference: the text is rewritten where it is.
    std::string utf8;
    bytes::appendUtf8(utf8, cp);
    std::memcpy(w, utf8.data(), utf8.size());
    w += utf8.size();
    r = semi + 1;
    return true;
}

} // namespace

std::string_view localName(const char* name) {
    // Names of one or two letters ("c", "v", "r", "t", "is") are most of a sheet.
    if (name[0] && name[0] != ':' && (!name[1] || (name[1] != ':' && !name[2])))
        return std::string_view(name, name[1] ? 2 : 1);
    const char* colon = std::strrchr(name, ':');
    return colon ? std::string_view(colon + 1) : std::string_view(name);
}

bool readWithExpat(XmlHandler& handler, const std::function<std::int64_t(char*, std::size_t)>& read) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser)
        return false;
    XML_SetUserData(parser, &handler);
    XML_SetElementHandler(
        parser,
        [](void* h, const XML_Char* element, const XML_Char** attributes) {
            std::vector<XmlAttribute> list;
            for (const XML_Char** a = attributes; *a; a += 2)
                list.push_back({localName(a[0]), std::string_view(a[1])});
            static_cast<XmlHandler*>(h)->start(localName(element), list.data(), list.size());
        },
        [](void* h, const XML_Char* element) { static_cast<XmlHandler*>(h)->end(localName(element)); });
    XML_SetCharacterDataHandler(parser, [](void* h, const XML_Char* data, int length) {
        static_cast<XmlHandler*>(h)->text(std::string_view(data, static_cast<std::size_t>(length)));
    });
    constexpr int kChunk = 1 << 16;
    bool ok = true;
    while (ok) {
        void* buf = XML_GetBuffer(parser, kChunk);
        const std::int64_t n = buf ? read(static_cast<char*>(buf), kChunk) : -1;
        if (n < 0) {
            ok = false;
            break;
        }
        ok = XML_ParseBuffer(parser, static_cast<int>(n), n == 0) == XML_STATUS_OK;
        if (n == 0)
            break;
    }
    XML_ParserFree(parser);
    return ok;
}

PlainXmlBase::Step PlainXmlBase::prolog(char*& p, char* end, bool last) {
    const auto have = static_cast<std::size_t>(end - p);
    const auto u = [&](std::size_t i) { return static_cast<unsigned char>(p[i]); };
    if (have < 6 && !last)
        return Step::More;
    if (have >= 1 && (u(0) == 0xFE || u(0) == 0xFF || u(0) == 0))
        return Step::GiveUp; // UTF-16 or UTF-32
    if (have >= 3 && u(0) == 0xEF && u(1) == 0xBB && u(2) == 0xBF) {
        p += 3;
        if (have < 9 && !last) {
            p -= 3;
            return Step::More;
        }
    }
    if (end - p < 6 || std::memcmp(p, "<?xml", 5) != 0 || !isSpace(p[5]))
        return Step::Done;
    const char* close = nullptr;
    for (const char* q = p; q + 1 < end && !close; ++q)
        if (q[0] == '?' && q[1] == '>')
            close = q;
    if (!close)
        return last ? Step::GiveUp : Step::More;
    // version, then encoding and standalone if given, in that order.
    const char* q = p + 5;
    const std::string_view names[] = {"version", "encoding", "standalone"};
    std::size_t next = 0;
    while (true) {
        const char* spaceFrom = q;
        while (q < close && isSpace(*q))
            ++q;
        if (q == close)
            break;
        const char* n = q;
        while (q < close && isNameChar(*q))
            ++q;
        const std::string_view name(n, static_cast<std::size_t>(q - n));
        while (q < close && isSpace(*q))
            ++q;
        if (q == spaceFrom || q + 2 > close || *q != '=')
            return Step::GiveUp;
        ++q;
        while (q < close && isSpace(*q))
            ++q;
        const char quote = q < close ? *q : '\0';
        if (quote != '"' && quote != '\'')
            return Step::GiveUp;
        const char* v = ++q;
        while (q < close && *q != quote)
            ++q;
        if (q == close)
            return Step::GiveUp;
        const std::string_view value(v, static_cast<std::size_t>(q - v));
        ++q;
        while (next < 3 && names[next] != name && next > 0)
            ++next;
        if (next == 3 || names[next] != name)
            return Step::GiveUp;
        const bool fine = next == 0 ? value == "1.0"
                          : next == 1
                              ? (value.size() == 5 && (value[0] | 0x20) == 'u' && (value[1] | 0x20) == 't' &&
                                 (value[2] | 0x20) == 'f' && value.substr(3) == "-8")
                              : value == "yes" || value == "no";
        if (!fine)
            return Step::GiveUp;
        ++next;
    }
    if (next == 0)
        return Step::GiveUp;
    p = const_cast<char*>(close) + 2;
    return Step::Done;
}

char* PlainXmlBase::decode(char* p, char* stop, bool attribute) {
    while (p < stop && is(*p, kPlain))
        ++p;
    if (p == stop)
        return stop;
    const char* r = p;
    char* w = p;
    while (r < stop) {
        const char c = *r;
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x80 && c != '&' && c != ']' && c != '<') {
            *w++ = c;
            ++r;
        } else if (c == '&') {
            if (!reference(r, stop, w))
                return nullptr;
        } else if (c == '\r' || c == '\n' || c == '\t') {
            if (c == '\r' && r + 1 < stop && r[1] == '\n')
                ++r;
            *w++ = attribute ? ' ' : c == '\r' ? '\n' : c;
            ++r;
        } else if (c == ']') {
            if (!attribute && stop - r >= 3 && r[1] == ']' && r[2] == '>')
                return nullptr;
            *w++ = c;
            ++r;
        } else if (u >= 0x80) {
            const std::size_t n = utf8Length(r, stop);
            if (n == 0)
                return nullptr;
            std::memmove(w, r, n);
            w += n;
            r += n;
        } else {
            return nullptr; // a control character, or '<' in a value
        }
    }
    return w;
}

} // namespace qb::xlsx
