#include "common/Cp949.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <vector>

namespace qb::cp949 {
namespace {

// iconv descriptors are not thread safe; one pair per thread, opened once.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
        // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv's failure value
        if (m_cd == reinterpret_cast<iconv_t>(-1)) {
            std::fprintf(stderr, "iconv cannot convert %s to %s\n", from, to);
            std::abort();
        }
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as possible; on an unconvertible or invalid sequence calls
    // onBad(input position) which returns how many input bytes to skip and what to write.
    // `growth`: output bytes per input byte to start with.
    // `replacedAt`, when given, gets the output offset of each replacement.
    template <typename OnBad>
    std::string run(std::string_view in, OnBad onBad, std::size_t growth = 2,
                    std::vector<std::size_t>* replacedAt = nullptr) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.reserve(in.size() * growth + 16);
        out.resize(in.size() * growth + 16);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        std::size_t used = 0;
        while (srcLeft > 0) {
            char* dst = out.data() + used;
            std::size_t dstLeft = out.size() - used;
            const std::size_t r = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (r != static_cast<std::size_t>(-1))
                break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ or EINVAL (truncated sequence at the end)
            auto [skip, replacement] = onBad(std::string_view(src, srcLeft));
            if (skip == 0 || skip > srcLeft)
                skip = srcLeft;
            src += skip;
            srcLeft -= skip;
            if (out.size() - used < replacement.size())
                out.resize(out.size() + replacement.size() + 16);
            if (replacedAt)
                replacedAt->push_back(used);
            out.replace(used, replacement.size(), replacement);
            used += replacement.size();
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(used);
        return out;
    }

private:
    iconv_t m_cd;
};

// Length of a well-formed UTF-8 sequence at the start of s, or 0.
std::size_t validUtf8At(std::string_view s) {
    const auto c = static_cast<unsigned char>(s[0]);
    if (c < 0x80)
        return 1;
    std::size_t n = 0;
    char32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (s.size() < n)
        return 0;
    for (std::size_t i = 1; i < n; ++i) {
        const auto t = static_cast<unsigned char>(s[i]);
        if ((t & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (t & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

} // namespace

Conversion fromUtf8(std::string_view utf8) {
    return fromUtf8(utf8, nullptr);
}

Conversion fromUtf8(std::string_view utf8, std::vector<std::size_t>* replacedAt) {
    Conversion result;
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        result.text = utf8;
        return result;
    }
    thread_local Converter conv("CP949", "UTF-8");
    // CP949 never takes more bytes than UTF-8 for the same text.
    result.text = conv.run(
        utf8,
        [&](std::string_view rest) {
            ++result.unmappable;
            std::size_t skip = validUtf8At(rest);
            if (skip == 0)
                skip = 1;
            return std::pair<std::size_t, std::string_view>(skip, "?");
        },
        1, replacedAt);
    return result;
}

namespace {

std::string toUtf8ByIconv(std::string_view cp949) {
    thread_local Converter conv("UTF-8", "CP949");
    return conv.run(cp949, [](std::string_view rest) {
        // A lead byte followed by an invalid trail: drop only the lead byte,
        // so the next character is not swallowed.
        (void)rest;
        return std::pair<std::size_t, std::string_view>(1, "\xEF\xBF\xBD");
    });
}

// iconv's answer for every two-byte CP949 character, asked once: converting tens of
// megabytes (a million preview rows) by table is several times faster than by
// iconv, and gives the same bytes because the table is iconv's.
class TwoByteTable {
public:
    static constexpr unsigned kFirstLead = 0x81, kFirstTrail = 0x41, kTrails = 0xFE - kFirstTrail + 1;

    TwoByteTable() : m_utf8((0xFE - kFirstLead + 1) * kTrails) {
        iconv_t cd = iconv_open("UTF-8", "CP949");
        if (cd == reinterpret_cast<iconv_t>(-1)) // NOLINT(performance-no-int-to-ptr): iconv's failure value
            return;
        bool ascii = true;
        for (unsigned b = 0; b < 0x80; ++b)
            ascii = ascii &&
                    convert(cd, std::string(1, static_cast<char>(b))) == std::string(1, static_cast<char>(b));
        for (unsigned lead = kFirstLead; lead <= 0xFE; ++lead)
            for (unsigned trail = kFirstTrail; trail <= 0xFE; ++trail) {
                const std::string utf8 =
                    convert(cd, std::string{static_cast<char>(lead), static_cast<char>(trail)});
                if (utf8.empty() || utf8.size() > 3)
                    continue;
                std::uint32_t e = static_cast<std::uint32_t>(utf8.size()) << 24;
                for (std::size_t i = 0; i < utf8.size(); ++i)
                    e |= static_cast<std::uint32_t>(static_cast<unsigned char>(utf8[i])) << (8 * i);
                m_utf8[(lead - kFirstLead) * kTrails + (trail - kFirstTrail)] = e;
            }
        iconv_close(cd);
        m_usable = ascii;
    }

    bool usable() const { return m_usable; }
    // Length in the top byte, the UTF-8 bytes from the lowest; 0: not a character.
    std::uint32_t at(unsigned lead, unsigned trail) const {
        if (lead < kFirstLead || lead > 0xFE || trail < kFirstTrail || trail > 0xFE)
            return 0;
        return m_utf8[(lead - kFirstLead) * kTrails + (trail - kFirstTrail)];
    }

private:
    static std::string convert(iconv_t cd, std::string in) {
        char out[16];
        char* src = in.data();
        char* dst = out;
        std::size_t srcLeft = in.size(), dstLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1) || srcLeft != 0)
            return {};
        return std::string(out, sizeof out - dstLeft);
    }

    std::vector<std::uint32_t> m_utf8;
    bool m_usable = false;
};

} // namespace

void toUtf8(std::string_view cp949, std::string& out) {
    static const TwoByteTable table;
    if (out.capacity() < cp949.size() + cp949.size() / 2 + 16) {
        out.clear();
        out.reserve(cp949.size() + cp949.size() / 2 + 16);
    }
    out.resize(cp949.size() + cp949.size() / 2 + 16);
    char* o = out.data();
    const auto* p = reinterpret_cast<const unsigned char*>(cp949.data());
    const auto* const end = p + cp949.size();
    while (table.usable() && p < end) {
        // Most of a message is ASCII: eight bytes at a time while it lasts.
        std::uint64_t word;
        if (end - p >= 8 && (std::memcpy(&word, p, 8), (word & 0x8080808080808080ULL) == 0)) {
            std::memcpy(o, p, 8);
            o += 8;
            p += 8;
            continue;
        }
        if (*p < 0x80) {
            *o++ = static_cast<char>(*p++);
            continue;
        }
        const std::uint32_t e = p + 1 < end ? table.at(p[0], p[1]) : 0;
        if (e == 0)
            break; // not valid CP949: iconv decides what it becomes
        // The table keeps the bytes low first; the slack at the end takes the fourth.
        const char bytes[4] = {static_cast<char>(e & 0xFF), static_cast<char>((e >> 8) & 0xFF),
                               static_cast<char>((e >> 16) & 0xFF), 0};
        std::memcpy(o, bytes, 4);
        o += e >> 24;
        p += 2;
    }
    if (table.usable() && p == end) {
        out.resize(static_cast<std::size_t>(o - out.data()));
        return;
    }
    out = toUtf8ByIconv(cp949);
}

std::string toUtf8(std::string_view cp949) {
    std::string out;
    toUtf8(cp949, out);
    return out;
}

std::string fromNativePath(std::string_view path) {
    return isValidUtf8(path) ? fromUtf8(path).text : std::string(path);
}

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t n = validUtf8At(bytes.substr(i));
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

bool looksLikeUtf8(std::string_view bytes) {
    return looksLikeUtf8(std::span<const std::string_view>(&bytes, 1));
}

bool looksLikeUtf8(std::span<const std::string_view> parts) {
    bool multiByte = false, hangul = false;
    for (const std::string_view bytes : parts) {
        std::size_t i = 0;
        while (i < bytes.size()) {
            // ASCII runs are most of any file.
            if (static_cast<unsigned char>(bytes[i]) < 0x80) {
                ++i;
                continue;
            }
            const std::size_t n = validUtf8At(bytes.substr(i));
            if (n == 0)
                return false;
            multiByte = true;
            if (n == 3) {
                // U+AC00..U+D7A3 is EA B0 80 .. ED 9E A3.
                const auto a = static_cast<unsigned char>(bytes[i]),
                           b = static_cast<unsigned char>(bytes[i + 1]),
                           c = static_cast<unsigned char>(bytes[i + 2]);
                const unsigned cp = (a & 0x0Fu) << 12 | (b & 0x3Fu) << 6 | (c & 0x3Fu);
                hangul = hangul || (cp >= 0xAC00 && cp <= 0xD7A3);
            }
            i += n;
        }
    }
    if (!multiByte || hangul)
        return hangul;
    for (const std::string_view bytes : parts)
        if (!isValidCp949(bytes))
            return true;
    return false;
}

bool isValidCp949(std::string_view bytes) {
    thread_local Converter conv("UTF-8", "CP949");
    bool valid = true;
    conv.run(bytes, [&](std::string_view) {
        valid = false;
        return std::pair<std::size_t, std::string_view>(std::string_view::npos, "");
    });
    return valid;
}

std::size_t safeCutLength(std::string_view s, std::size_t limit) {
    if (limit >= s.size())
        return s.size();
    std::size_t i = 0;
    while (i < limit) {
        const std::size_t step = (isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
        if (i + step > limit)
            break;
        i += step;
    }
    return i;
}

} // namespace qb::cp949

namespace qb {

std::string ko(std::string_view utf8Literal) {
    cp949::Conversion c = cp949::fromUtf8(utf8Literal);
    if (!c.ok()) {
        std::fprintf(stderr, "literal has no CP949 form: %.*s\n", static_cast<int>(utf8Literal.size()),
                     utf8Literal.data());
        std::abort();
    }
    return std::move(c.text);
}

} // namespace qb
