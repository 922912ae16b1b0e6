#include "common/Bytes.h"
#include "common/Cp949.h"
#include "import/CellText.h"
#include "import/WorkbookReader.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <expat.h>
#include <future>
#include <libdeflate.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <pugixml.hpp>
#include <thread>
#include <type_traits>
#include <zip.h>
#include <zlib.h>

// The small parts (relationships, the workbook, styles) are read whole with pugixml.
// Shared strings and sheets can be hundreds of megabytes of XML even in a small file
// (a sheet of millions of empty cells compresses to almost nothing), so they are
// streamed through expat straight from the zip entry: memory follows the cells that
// hold something, not the size of the XML. The shared strings are read on a second
// core while the sheet is read; texts are gathered in blocks and converted to CP949
// a block at a time.

namespace qb {
namespace {

std::atomic<std::size_t> partsReadAgain{0};

// The parts read whole are small in any real workbook.
constexpr zip_uint64_t kMaxPartBytes = zip_uint64_t{1} << 28;

std::string_view localName(const char* name) {
    // Names of one or two letters ("c", "v", "r", "t", "is") are most of a sheet.
    if (name[0] && name[0] != ':' && (!name[1] || (name[1] != ':' && !name[2])))
        return std::string_view(name, name[1] ? 2 : 1);
    const char* colon = std::strrchr(name, ':');
    return colon ? std::string_view(colon + 1) : std::string_view(name);
}

pugi::xml_node child(pugi::xml_node node, std::string_view name) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && localName(c.name()) == name)
            return c;
    return {};
}

pugi::xml_attribute attribute(pugi::xml_node node, std::string_view name) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
        if (localName(a.name()) == name)
            return a;
    return {};
}

template <typename F> void forEachChild(pugi::xml_node node, std::string_view name, F&& f) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && localName(c.name()) == name)
            f(c);
}

// "_x000D_" and the like: characters XML cannot carry, escaped by the writer.
std::string unescapeOoxml(std::string s) {
    if (s.find("_x") == std::string::npos)
        return s;
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '_' && i + 6 < s.size() && s[i + 1] == 'x' && s[i + 6] == '_') {
            unsigned v = 0;
            const auto r = std::from_chars(s.data() + i + 2, s.data() + i + 6, v, 16);
            if (r.ec == std::errc() && r.ptr == s.data() + i + 6) {
                // A NUL has no place in a cell.
                if (v != 0)
                    bytes::appendUtf8(out, v);
                i += 6;
                continue;
            }
        }
        out.push_back(s[i]);
    }
    return out;
}

enum class Reference { Ok, OutOfSheet, Malformed };

// "C5" -> row 4, column 2 (from 0). A reference past the sheet's last row or column
// is OutOfSheet; anything that is no reference is Malformed.
Reference parseReference(std::string_view ref, int& row, int& column) {
    std::size_t i = 0;
    long col = 0;
    while (i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && i < 4)
        col = col * 26 + (ref[i++] - 'A' + 1);
    if (i == 0 || i == ref.size() || i > 3)
        return Reference::Malformed;
    long long r = 0;
    for (; i < ref.size(); ++i) {
        if (ref[i] < '0' || ref[i] > '9' || i > 12)
            return Reference::Malformed;
        r = r * 10 + (ref[i] - '0');
    }
    if (r < 1)
        return Reference::Malformed;
    if (r > kMaxSheetRows || col > kMaxSheetColumns)
        return Reference::OutOfSheet;
    row = static_cast<int>(r - 1);
    column = static_cast<int>(col - 1);
    return Reference::Ok;
}

// A number that celltext::number() would write back unchanged, so need not be read:
// at most 15 significant digits (which survive a double), in full between 1E-04
// and 1E+15, no leading or trailing zeros, no exponent, no "-0".
bool shownAsWritten(std::string_view t) {
    const auto digit = [&](std::size_t i) { return i < t.size() && t[i] >= '0' && t[i] <= '9'; };
    std::size_t i = !t.empty() && t[0] == '-' ? 1 : 0;
    const std::size_t intFrom = i;
    while (digit(i))
        ++i;
    const std::size_t intDigits = i - intFrom;
    if (intDigits == 0 || intDigits > 15)
        return false;
    const bool zero = t[intFrom] == '0';
    if (zero && intDigits > 1)
        return false;
    if (i == t.size())
        return !zero || intFrom == 0;
    if (t[i] != '.')
        return false;
    const std::size_t fracFrom = ++i;
    while (digit(i))
        ++i;
    if (i != t.size() || i == fracFrom || t.back() == '0')
        return false;
    if (!zero)
        return intDigits + (i - fracFrom) <= 15;
    std::size_t zeros = 0;
    while (t[fracFrom + zeros] == '0')
        ++zeros;
    return zeros <= 3 && i - fracFrom - zeros <= 15;
}

// A row number as written; 0 when it is none.
long long parseRowNumber(std::string_view text) {
    long long r = 0;
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, r);
    if (parsed.ec == std::errc::result_out_of_range)
        return kMaxSheetRows + 1LL;
    return parsed.ec == std::errc() && parsed.ptr == end && r > 0 ? r : 0;
}

// An append-only list in blocks: growing never copies what is there, so a sheet of
// millions of cells touches each page once.
template <typename T> class Chunks {
public:
    // In line: a sheet pushes once a cell.
    [[gnu::always_inline]] void push_back(const T& v) {
        if (m_used == kChunk || !m_last) [[unlikely]]
            addChunk();
        m_last[m_used++] = v;
    }
    std::size_t size() const { return m_chunks.empty() ? 0 : (m_chunks.size() - 1) * kChunk + m_used; }
    template <typename F> void forEach(F&& f) const {
        for (std::size_t c = 0; c < m_chunks.size(); ++c)
            for (std::size_t i = 0, n = c + 1 == m_chunks.size() ? m_used : kChunk; i < n; ++i)
                f(m_chunks[c][i]);
    }
    // forEach() that frees each block once it is through: what the items become
    // grows while they shrink.
    template <typename F> void drain(F&& f) {
        for (std::size_t c = 0; c < m_chunks.size(); ++c) {
            for (std::size_t i = 0, n = c + 1 == m_chunks.size() ? m_used : kChunk; i < n; ++i)
                f(m_chunks[c][i]);
            m_chunks[c].reset();
        }
        m_chunks.clear();
        m_last = nullptr;
        m_used = 0;
    }

private:
    static constexpr std::size_t kChunk = (std::size_t{4} << 20) / sizeof(T);
    [[gnu::noinline]] void addChunk() {
        m_chunks.push_back(std::make_unique_for_overwrite<T[]>(kChunk));
        m_last = m_chunks.back().get();
        m_used = 0;
    }
    std::vector<std::unique_ptr<T[]>> m_chunks;
    T* m_last = nullptr;
    std::size_t m_used = 0;
};

// Texts one after the other, each ended by a NUL (which no cell holds), converted
// from UTF-8 to CP949 in one go.
class TextBlock {
public:
    void append(std::string_view text) {
        grow(text.size());
        if (std::memchr(text.data(), '\0', text.size())) {
            for (char c : text)
                if (c)
                    m_bytes.push_back(c);
        } else {
            m_bytes.append(text);
        }
        m_bytes.push_back('\0');
    }
    // A text written in pieces straight into the block, from `from` (the size
    // before its first piece) on: append(unescapeOoxml(pieces)) without the copies.
    void appendPiece(std::string_view piece) {
        grow(piece.size());
        m_bytes.append(piece);
    }
    void endPieces(std::size_t from) {
        const std::string_view text = std::string_view(m_bytes).substr(from);
        if (text.find("_x") != std::string_view::npos || std::memchr(text.data(), '\0', text.size())) {
            std::string whole(text);
            m_bytes.resize(from);
            append(unescapeOoxml(std::move(whole)));
            return;
        }
        m_bytes.push_back('\0');
    }
    void dropFrom(std::size_t from) { m_bytes.resize(from); }
    // A piece at a time, written back where it was read (CP949 is never longer
    // than UTF-8): the texts are not held twice.
    void toCp949() {
        constexpr std::size_t kPiece = std::size_t{1} << 20;
        std::size_t read = 0, write = 0;
        while (read < m_bytes.size()) {
            std::size_t end = std::min(m_bytes.size(), read + kPiece);
            if (end < m_bytes.size()) {
                // Up to a NUL, so that no character is cut.
                const auto* nul =
                    static_cast<const char*>(std::memchr(m_bytes.data() + end, '\0', m_bytes.size() - end));
                end = nul ? static_cast<std::size_t>(nul - m_bytes.data()) + 1 : m_bytes.size();
            }
            const std::string piece =
                cp949::fromUtf8(std::string_view(m_bytes).substr(read, end - read)).text;
            if (write + piece.size() > end) { // cannot happen; kept safe all the same
                m_bytes = m_bytes.substr(0, write) + piece +
                          cp949::fromUtf8(std::string_view(m_bytes).substr(end)).text;
                return;
            }
            std::memcpy(m_bytes.data() + write, piece.data(), piece.size());
            write += piece.size();
            read = end;
        }
        m_bytes.resize(write);
    }
    std::size_t size() const { return m_bytes.size(); }
    const char* data() const { return m_bytes.data(); }
    void grow(std::size_t more) {
        if (m_bytes.size() + more + 1 > m_bytes.capacity())
            m_bytes.reserve(std::max<std::size_t>(2 * m_bytes.capacity(), m_bytes.size() + more + (1 << 16)));
    }
    // The texts in order, after toCp949().
    class Reader {
    public:
        explicit Reader(const std::string& bytes) : m_at(bytes.data()), m_end(bytes.data() + bytes.size()) {}
        std::string_view next() {
            const char* nul =
                static_cast<const char*>(std::memchr(m_at, '\0', static_cast<std::size_t>(m_end - m_at)));
            if (!nul)
                nul = m_end;
            const std::string_view text(m_at, static_cast<std::size_t>(nul - m_at));
            m_at = nul < m_end ? nul + 1 : m_end;
            return text;
        }

    private:
        const char* m_at;
        const char* m_end;
    };
    Reader reader() const { return Reader(m_bytes); }

private:
    std::string m_bytes;
};

// An attribute by its local name; a NUL follows the value.
struct XmlAttribute {
    std::string_view name;
    std::string_view value;
};

// What a streamed part's elements and text go to.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void start(std::string_view name, const XmlAttribute* attributes, std::size_t count) = 0;
    virtual void end(std::string_view name) = 0;
    virtual void text(std::string_view data) = 0;
};

// The XML that spreadsheet programs write, read without expat's generality:
// elements, attributes, text, the five entities and character references, in
// UTF-8. Sheets are hundreds of megabytes of small tags, and this reads them
// several times faster. A part with anything else (a DTD, comments, CDATA,
// processing instructions, another encoding) or with any fault is given up on,
// and the caller reads it again with expat, whose verdict stands. So everything
// accepted here must be well-formed XML, and reach the handler as expat gives it.
// The handler's own type, so that its calls are inlined.
template <typename Handler> class PlainXml {
public:
    explicit PlainXml(Handler& handler) : m_handler(handler) {}

    // Bytes to be appended, after what is still unread.
    void append(const char* data, std::size_t n) {
        if (m_pos > 0) {
            std::memmove(m_buf.data(), m_buf.data() + m_pos, m_size - m_pos);
            m_size -= m_pos;
            m_pos = 0;
        }
        if (m_buf.size() < m_size + n)
            m_buf.resize(std::max(m_size + n, 2 * m_buf.size()));
        std::memcpy(m_buf.data() + m_size, data, n);
        m_size += n;
    }

    // Reads as far as the bytes so far allow; `last` when no more come. False:
    // given up, nothing more is to be read.
    bool parse(bool last) {
        char* const stop = scan(m_buf.data() + m_pos, m_buf.data() + m_size, last);
        if (!stop)
            return false;
        m_pos = static_cast<std::size_t>(stop - m_buf.data());
        // What is left unread is read again with the next bytes: a text or tag of
        // megabytes (no spreadsheet program writes one) is left to expat, which
        // reads it once.
        return m_size - m_pos <= kMaxUnread;
    }

    // parse(false) after append(data, n), without copying the block: what is still
    // unread is put in the `room` bytes before `data` (which must be writable), and
    // the block is read where it is. Only its unread end is kept.
    bool parseInPlace(char* data, std::size_t n, std::size_t room) {
        const std::size_t unread = m_size - m_pos;
        if (unread > room) {
            append(data, n);
            return parse(false);
        }
        char* const begin = data - unread;
        if (unread > 0)
            std::memcpy(begin, m_buf.data() + m_pos, unread);
        m_pos = m_size = 0;
        const char* const stop = scan(begin, data + n, false);
        if (!stop)
            return false;
        const auto left = static_cast<std::size_t>(data + n - stop);
        if (left > 0)
            append(stop, left);
        return left <= kMaxUnread;
    }

private:
    // Reads [p, end) and returns where it stopped (what is left waits for more
    // bytes), or nullptr when it gives up.
    char* scan(char* p, char* const end, bool last) {
        Step step = Step::Done;
        if (m_atStart) {
            step = prolog(p, end, last);
            if (step == Step::GiveUp || (step == Step::More && last))
                return nullptr;
            if (step == Step::Done)
                m_atStart = false;
        }
        while (step == Step::Done && p < end) {
            if (*p != '<') {
                char* lt = p;
                while (lt < end && is(*lt, kPlain))
                    ++lt;
                const bool plain = lt < end && *lt == '<';
                if (!plain)
                    lt = static_cast<char*>(std::memchr(lt, '<', static_cast<std::size_t>(end - lt)));
                if (!lt && !last)
                    break;
                char* stop = lt ? lt : end;
                if (!text(p, stop, plain))
                    return nullptr;
                p = stop;
            } else if (end - p < 2) {
                step = Step::More;
            } else if (p[1] == '/') {
                step = endTag(p, end);
            } else {
                step = startTag(p, end);
            }
        }
        if (step == Step::GiveUp || (last && (step == Step::More || !m_rootDone)))
            return nullptr;
        return p;
    }

    enum class Step { Done, More, GiveUp };
    static constexpr std::size_t kMaxUnread = std::size_t{1} << 20;

    enum ByteClass : std::uint8_t { kNameStart = 1, kNameChar = 2, kPlain = 4, kSpace = 8 };
    // kPlain: text or a value that needs nothing done (no reference, line end,
    // quote, ']' or anything but printable ASCII).
    static constexpr std::array<std::uint8_t, 256> kClasses = [] {
        std::array<std::uint8_t, 256> t{};
        for (int c = 0; c < 256; ++c) {
            const bool start = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
            const bool name = start || (c >= '0' && c <= '9') || c == '-' || c == '.';
            const bool plain =
                c >= 0x20 && c < 0x80 && c != '&' && c != ']' && c != '<' && c != '"' && c != '\'';
            const bool space = c == ' ' || c == '\n' || c == '\r' || c == '\t';
            t[static_cast<std::size_t>(c)] =
                static_cast<std::uint8_t>((start ? kNameStart : 0) | (name ? kNameChar : 0) |
                                          (plain ? kPlain : 0) | (space ? kSpace : 0));
        }
        return t;
    }();
    static bool is(char c, ByteClass k) { return kClasses[static_cast<unsigned char>(c)] & k; }
    static bool isSpace(char c) { return is(c, kSpace); }
    static bool isNameStart(char c) { return is(c, kNameStart); }
    static bool isNameChar(char c) { return is(c, kNameChar); }

    // A byte order mark and the XML declaration, when there.
    Step prolog(char*& p, char* end, bool last) {
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
            const char quote = q < close ? *q : 0;
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
            const bool fine =
                next == 0   ? value == "1.0"
                : next == 1 ? (value.size() == 5 && (value[0] | 0x20) == 'u' && (value[1] | 0x20) == 't' &&
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

    // One UTF-8 character of two bytes or more at `r`, as XML allows it: its
    // length, 0 when it is none.
    static std::size_t utf8Length(const char* r, const char* stop) {
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
    static bool reference(const char*& r, const char* stop, char*& w) {
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

    // Checks and decodes [p, stop) where it is; the new end, or nullptr to give up.
    // Attribute values have their white space normalised as well.
    static char* decode(char* p, char* stop, bool attribute) {
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

    bool text(char* p, char* stop, bool plain) {
        if (m_depth == 0) {
            for (; p < stop; ++p)
                if (!isSpace(*p))
                    return false;
            return true;
        }
        char* end = plain ? stop : decode(p, stop, false);
        if (!end)
            return false;
        if (end != p)
            m_handler.text(std::string_view(p, static_cast<std::size_t>(end - p)));
        return true;
    }

    struct Attribute {
        char* name;
        char* nameEnd;
        char* value;
        char* valueEnd;
        char* localFrom;
        bool plain; // nothing to decode
    };

    Step startTag(char*& p, char* end) {
        char* q = p + 1;
        if (!isNameStart(*q))
            return Step::GiveUp; // "<!", "<?", or no name
        char* elementFrom = nullptr;
        q = scanName(q, end, elementFrom);
        const std::string_view name(p + 1, static_cast<std::size_t>(q - p - 1));
        const std::string_view element(elementFrom, static_cast<std::size_t>(q - elementFrom));
        std::size_t n = 0; // attributes
        bool empty = false;
        while (true) {
            const char* spaceFrom = q;
            while (q < end && isSpace(*q))
                ++q;
            if (q >= end)
                return Step::More;
            if (*q == '>') {
                ++q;
                break;
            }
            if (*q == '/') {
                if (q + 1 >= end)
                    return Step::More;
                if (q[1] != '>')
                    return Step::GiveUp;
                q += 2;
                empty = true;
                break;
            }
            if (q == spaceFrom || !isNameStart(*q))
                return Step::GiveUp;
            // Written in place: a copy built aside and pushed stalls on every tag.
            if (n == m_spans.size())
                m_spans.emplace_back();
            Attribute& a = m_spans[n];
            a.name = q;
            q = scanName(q, end, a.localFrom);
            a.nameEnd = q;
            while (q < end && isSpace(*q))
                ++q;
            if (q >= end)
                return Step::More;
            if (*q != '=')
                return Step::GiveUp;
            ++q;
            while (q < end && isSpace(*q))
                ++q;
            if (q >= end)
                return Step::More;
            const char quote = *q;
            if (quote != '"' && quote != '\'')
                return Step::GiveUp;
            a.value = ++q;
            while (q < end && is(*q, kPlain))
                ++q;
            a.plain = q < end && *q == quote;
            a.valueEnd =
                a.plain ? q : static_cast<char*>(std::memchr(q, quote, static_cast<std::size_t>(end - q)));
            if (!a.valueEnd)
                return Step::More;
            q = a.valueEnd + 1;
            ++n;
        }
        // The tag is whole: only now is it written over.
        if (m_rootDone)
            return Step::GiveUp; // a second root
        for (std::size_t i = 1; i < n; ++i) {
            const std::string_view an = nameOf(m_spans[i]);
            for (std::size_t j = 0; j < i; ++j)
                if (same(nameOf(m_spans[j]), an))
                    return Step::GiveUp;
        }
        if (m_attributes.size() < n)
            m_attributes.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            Attribute& a = m_spans[i];
            char* valueEnd = a.plain ? a.valueEnd : decode(a.value, a.valueEnd, true);
            if (!valueEnd)
                return Step::GiveUp;
            *valueEnd = '\0';
            XmlAttribute& out = m_attributes[i];
            out.name = std::string_view(a.localFrom, static_cast<std::size_t>(a.nameEnd - a.localFrom));
            out.value = std::string_view(a.value, static_cast<std::size_t>(valueEnd - a.value));
        }
        p = q;
        m_handler.start(element, m_attributes.data(), n);
        if (empty) {
            m_handler.end(element);
            m_rootDone = m_depth == 0;
        } else {
            const std::size_t at = m_namesUsed;
            if (at + name.size() > m_names.size())
                m_names.resize(std::max(2 * m_names.size(), at + name.size() + 256));
            for (std::size_t i = 0; i < name.size(); ++i)
                m_names[at + i] = name[i];
            m_namesUsed += name.size();
            m_open.push_back(static_cast<std::uint32_t>(at));
            ++m_depth;
        }
        return Step::Done;
    }

    Step endTag(char*& p, char* end) {
        char* elementFrom = nullptr;
        char* q = scanName(p + 2, end, elementFrom);
        const std::string_view name(p + 2, static_cast<std::size_t>(q - p - 2));
        const std::string_view element(elementFrom, static_cast<std::size_t>(q - elementFrom));
        while (q < end && isSpace(*q))
            ++q;
        if (q >= end)
            return Step::More;
        if (*q != '>' || m_depth == 0 ||
            !same(std::string_view(m_names.data() + m_open.back(), m_namesUsed - m_open.back()), name))
            return Step::GiveUp;
        p = q + 1;
        m_namesUsed = m_open.back();
        m_open.pop_back();
        --m_depth;
        m_handler.end(element);
        m_rootDone = m_depth == 0;
        return Step::Done;
    }

    static std::string_view nameOf(const Attribute& a) {
        return std::string_view(a.name, static_cast<std::size_t>(a.nameEnd - a.name));
    }
    // Past the name at q; `localFrom`: where its local name (after the last ':')
    // begins, noted on the way rather than looked for again.
    [[gnu::always_inline]] static char* scanName(char* q, const char* end, char*& localFrom) {
        localFrom = q;
        for (; q < end && isNameChar(*q); ++q)
            if (*q == ':')
                localFrom = q + 1;
        return q;
    }
    // ==, in line for names of a few letters.
    [[gnu::always_inline]] static bool same(std::string_view a, std::string_view b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (a[i] != b[i])
                return false;
        return true;
    }

    Handler& m_handler;
    std::vector<char> m_buf;
    std::size_t m_size = 0, m_pos = 0;
    bool m_atStart = true, m_rootDone = false;
    std::vector<char> m_names; // the open elements' names, one after the other
    std::size_t m_namesUsed = 0;
    std::vector<std::uint32_t> m_open; // where each begins in m_names
    std::size_t m_depth = 0;
    std::vector<Attribute> m_spans;
    std::vector<XmlAttribute> m_attributes;
};

// An entry's bytes as zip_fread() gives them. A deflated one is inflated here from
// its raw bytes: libzip checks the CRC-32 with zlib's, which took a quarter of the
// time spent inflating, and libdeflate's is many times faster. The checks are
// libzip's: the stream ends, with the size and CRC-32 the directory gives.
class EntryReader {
public:
    EntryReader(zip_t* zip, zip_uint64_t index) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip, index, 0, &st) != 0)
            return;
        constexpr zip_uint64_t kNeeded =
            ZIP_STAT_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
        m_raw = (st.valid & kNeeded) == kNeeded && st.comp_method == ZIP_CM_DEFLATE &&
                st.encryption_method == ZIP_EM_NONE && inflateInit2(&m_z, -MAX_WBITS) == Z_OK;
        if (m_raw) {
            m_size = st.size;
            m_crc = st.crc;
            m_in = std::make_unique_for_overwrite<char[]>(kIn);
        }
        m_file = zip_fopen_index(zip, index, m_raw ? ZIP_FL_COMPRESSED : 0);
    }
    ~EntryReader() {
        if (m_raw)
            inflateEnd(&m_z);
        if (m_file)
            zip_fclose(m_file);
    }
    EntryReader(const EntryReader&) = delete;
    EntryReader& operator=(const EntryReader&) = delete;

    bool isOpen() const { return m_file != nullptr; }

    // Up to n bytes; 0 at the end, -1 on a fault.
    zip_int64_t read(char* out, std::size_t n) {
        if (!m_raw)
            return zip_fread(m_file, out, n);
        if (m_failed)
            return -1;
        if (m_ended)
            return 0;
        m_z.next_out = reinterpret_cast<Bytef*>(out);
        m_z.avail_out = static_cast<uInt>(std::min<std::size_t>(n, std::size_t{1} << 30));
        const uInt wanted = m_z.avail_out;
        while (m_z.avail_out > 0 && !m_ended) {
            if (m_z.avail_in == 0) {
                const zip_int64_t got = zip_fread(m_file, m_in.get(), kIn);
                if (got <= 0) // a stream cut short
                    return fail();
                m_z.next_in = reinterpret_cast<Bytef*>(m_in.get());
                m_z.avail_in = static_cast<uInt>(got);
            }
            const int r = inflate(&m_z, Z_NO_FLUSH);
            if (r == Z_STREAM_END)
                m_ended = true;
            else if (r != Z_OK)
                return fail();
        }
        const std::size_t made = wanted - m_z.avail_out;
        m_crcSoFar = static_cast<std::uint32_t>(libdeflate_crc32(m_crcSoFar, out, made));
        if (m_ended && (m_z.total_out != m_size || m_crcSoFar != m_crc))
            return fail();
        return static_cast<zip_int64_t>(made);
    }

private:
    static constexpr std::size_t kIn = std::size_t{1} << 16;
    zip_int64_t fail() {
        m_failed = true;
        return -1;
    }

    zip_file_t* m_file = nullptr;
    bool m_raw = false, m_ended = false, m_failed = false;
    z_stream m_z{};
    std::unique_ptr<char[]> m_in;
    zip_uint64_t m_size = 0;
    std::uint32_t m_crc = 0, m_crcSoFar = 0;
};

// A zip entry inflated on a thread of its own, a few blocks ahead of the reader,
// so that inflating and parsing share the two cores. Each block has kRoom bytes
// free before it, for PlainXml::parseInPlace.
class InflatePipe {
public:
    static constexpr std::size_t kBlock = std::size_t{1} << 18;
    static constexpr std::size_t kRoom = std::size_t{1} << 16;

    explicit InflatePipe(EntryReader& file) : m_file(file), m_thread([this] { run(); }) {}
    ~InflatePipe() {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    InflatePipe(const InflatePipe&) = delete;
    InflatePipe& operator=(const InflatePipe&) = delete;

    // Hands the next block to `use`; false at the end (`failed` tells why).
    template <typename F> bool next(F&& use) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return !m_full.empty() || m_done; });
        if (m_full.empty())
            return false;
        Block block = std::move(m_full.front());
        m_full.pop_front();
        lock.unlock();
        use(block.data.get() + kRoom, block.size);
        lock.lock();
        m_free.push_back(std::move(block));
        lock.unlock();
        m_changed.notify_all();
        return true;
    }
    bool failed() const {
        const std::lock_guard lock(m_mutex);
        return m_failed;
    }

private:
    static constexpr std::size_t kBlocks = 5; // one of them with the reader
    struct Block {
        std::unique_ptr<char[]> data;
        std::size_t size = 0;
    };

    void run() {
        std::size_t made = 0;
        while (true) {
            Block block;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return m_stop || !m_free.empty() || made < kBlocks; });
                if (m_stop)
                    break;
                if (!m_free.empty()) {
                    block = std::move(m_free.back());
                    m_free.pop_back();
                }
            }
            if (!block.data) {
                block.data = std::make_unique_for_overwrite<char[]>(kRoom + kBlock);
                ++made;
            }
            block.size = 0;
            bool end = false, failed = false;
            while (block.size < kBlock) {
                const zip_int64_t n = m_file.read(block.data.get() + kRoom + block.size, kBlock - block.size);
                if (n <= 0) {
                    end = true;
                    failed = n < 0;
                    break;
                }
                block.size += static_cast<std::size_t>(n);
            }
            {
                const std::lock_guard lock(m_mutex);
                if (block.size > 0)
                    m_full.push_back(std::move(block));
                m_done = end;
                m_failed = failed;
            }
            m_changed.notify_all();
            if (end)
                break;
        }
    }

    EntryReader& m_file;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Block> m_full;
    std::vector<Block> m_free;
    bool m_stop = false, m_done = false, m_failed = false;
    std::thread m_thread; // last: it starts once the rest is there
};

// The texts of <sst>: one per <si>, its <t>s (directly or in runs), phonetic guides
// left out.
class SharedStrings final : public XmlHandler {
public:
    void start(std::string_view name, const XmlAttribute*, std::size_t) override {
        if (name == "si") {
            if (m_inItem)
                m_block.dropFrom(m_itemFrom);
            m_inItem = true;
            m_itemFrom = m_block.size();
        } else if (name == "rPh") {
            ++m_phonetic;
        } else if (name == "t" && m_inItem && m_phonetic == 0) {
            m_inText = true;
        }
    }
    void end(std::string_view name) override {
        if (name == "t") {
            m_inText = false;
        } else if (name == "rPh") {
            --m_phonetic;
        } else if (name == "si" && m_inItem) {
            m_block.endPieces(m_itemFrom);
            ++m_count;
            m_inItem = false;
        }
    }
    void text(std::string_view data) override {
        if (m_inText && m_inItem)
            m_block.appendPiece(data);
    }

    // After the part is read: the texts as CP949, by number.
    void finish() {
        m_block.toCp949();
        m_starts.reserve(m_count + 1);
        TextBlock::Reader r = m_block.reader();
        for (std::size_t i = 0; i < m_count; ++i)
            m_starts.push_back(static_cast<std::size_t>(r.next().data() - m_block.data()));
        m_starts.push_back(m_block.size());
    }
    std::size_t size() const { return m_count; }
    std::string_view at(std::size_t i) const {
        return std::string_view(m_block.data() + m_starts[i], m_starts[i + 1] - m_starts[i] - 1);
    }

private:
    TextBlock m_block;
    std::size_t m_count = 0;
    std::vector<std::size_t> m_starts; // where each text begins, and one past the last NUL
    std::size_t m_itemFrom = 0;        // where the open item's text begins in m_block
    bool m_inItem = false;
    bool m_inText = false;
    int m_phonetic = 0;
};

// The cells of <sheetData> as they stream past. Rows and cells without a reference
// follow the one before; a row or cell whose reference lies past the sheet's end is
// dropped with everything in it. Cells are kept compactly until the shared strings
// are there too.
class SheetCells final : public XmlHandler {
public:
    SheetCells(const std::vector<celltext::DateParts>& xfDate, bool date1904)
        : m_xfDate(xfDate), m_date1904(date1904) {}

    // By length first: a sheet is millions of these calls.
    void start(std::string_view name, const XmlAttribute* attributes, std::size_t count) override {
        if (!m_inData) {
            m_inData = name == "sheetData";
            return;
        }
        switch (name.size()) {
        case 1:
            if (name[0] == 'c') {
                startCell(attributes, count);
            } else if (!m_inCell) {
            } else if (name[0] == 'v') {
                m_hasValue = true;
                m_inText = true;
            } else if (name[0] == 't' && m_inline && m_phonetic == 0) {
                m_inText = true;
            }
            break;
        case 2:
            if (m_inCell && name == "is")
                m_inline = true;
            break;
        case 3:
            if (name == "row")
                startRow(attributes, count);
            else if (m_inCell && name == "rPh")
                ++m_phonetic;
            break;
        default:
            break;
        }
    }

    void end(std::string_view name) override {
        switch (name.size()) {
        case 1:
            if (name[0] == 'c') {
                if (m_inCell)
                    endCell();
            } else if (name[0] == 'v' || name[0] == 't') {
                m_inText = false;
            }
            break;
        case 3:
            if (name == "rPh")
                --m_phonetic;
            else if (name == "row")
                m_inRow = false;
            break;
        default:
            if (name == "sheetData")
                m_inData = false;
            break;
        }
    }

    void text(std::string_view data) override {
        if (m_inText && m_keep)
            m_value.append(data);
    }

    // Hands every cell that holds something to the sink, in file order.
    void finish(const SharedStrings& strings, WorkbookReader::CellSink& sink) {
        m_texts.toCp949();
        std::size_t bytes = m_texts.size();
        WorkbookReader::Frame frame{kMaxSheetRows, -1, kMaxSheetColumns, -1};
        bool inOrder = true;
        int lastRow = -1, lastColumn = -1;
        m_items.forEach([&](const Item& item) {
            if (item.sharedString != kOwnText) {
                if (item.sharedString >= strings.size() || strings.at(item.sharedString).empty())
                    return;
                bytes += strings.at(item.sharedString).size();
            }
            inOrder = inOrder && (item.row > lastRow || (item.row == lastRow && item.column > lastColumn));
            lastRow = item.row;
            lastColumn = item.column;
            frame.firstRow = std::min(frame.firstRow, item.row);
            frame.lastRow = std::max(frame.lastRow, item.row);
            frame.firstColumn = std::min(frame.firstColumn, item.column);
            frame.lastColumn = std::max(frame.lastColumn, item.column);
        });
        sink.reserve(m_items.size(), bytes);
        // Both blocks of text stay as they are until the sheet is read.
        if (inOrder && frame.lastRow >= 0)
            sink.framed(frame);
        TextBlock::Reader own = m_texts.reader();
        m_items.drain([&](const Item& item) {
            std::string_view text;
            if (item.sharedString == kOwnText)
                text = own.next();
            else if (item.sharedString < strings.size())
                text = strings.at(item.sharedString);
            if (!text.empty())
                sink.cell(item.row, item.column, text);
        });
        if (inOrder && frame.lastRow >= 0)
            sink.endOfCells();
    }

private:
    static constexpr std::uint32_t kOwnText = 0xFFFFFFFF;
    struct Item {
        std::int32_t row;
        std::int32_t column;
        std::uint32_t sharedString; // kOwnText: the next text of m_texts
    };

    // A cell's t="": any other value reads as a number.
    enum class Type { Number, Shared, Text, InlineString, Boolean, Date };
    static Type typeOf(std::string_view t) {
        if (t == "s")
            return Type::Shared;
        if (t == "str" || t == "e")
            return Type::Text;
        if (t == "inlineStr")
            return Type::InlineString;
        if (t == "b")
            return Type::Boolean;
        return t == "d" ? Type::Date : Type::Number;
    }

    void startRow(const XmlAttribute* attributes, std::size_t count) {
        m_inRow = true;
        m_column = -1;
        long long number = 0;
        for (std::size_t i = 0; i < count; ++i)
            if (attributes[i].name == "r") {
                number = parseRowNumber(attributes[i].value);
                break;
            }
        if (number > kMaxSheetRows)
            m_row = kMaxSheetRows; // so the rows after it are past the end too
        else if (number > 0)
            m_row = static_cast<int>(number - 1);
        else if (m_row < kMaxSheetRows)
            ++m_row;
        m_rowKept = m_row < kMaxSheetRows;
    }

    void startCell(const XmlAttribute* attributes, std::size_t count) {
        m_inCell = true;
        m_hasValue = m_inline = m_inText = false;
        m_phonetic = 0;
        m_value.clear();
        m_cellRow = m_row;
        m_cellColumn = m_column + 1;
        m_keep = m_inRow && m_rowKept;
        m_type = Type::Number;
        m_style = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::string_view name = attributes[i].name;
            const std::string_view value = attributes[i].value;
            if (name == "r") {
                int row = 0, column = 0;
                switch (parseReference(value, row, column)) {
                case Reference::Ok:
                    m_cellRow = row;
                    m_cellColumn = column;
                    break;
                case Reference::OutOfSheet:
                    m_keep = false;
                    break;
                case Reference::Malformed:
                    break;
                }
            } else if (name == "t") {
                m_type = typeOf(value);
            } else if (name == "s") {
                m_style = std::strtoll(value.data(), nullptr, 10); // a NUL follows
            }
        }
        m_column = m_cellColumn;
        if (m_cellColumn >= kMaxSheetColumns || m_cellRow >= kMaxSheetRows)
            m_keep = false;
    }

    void endCell() {
        m_inCell = false;
        if (!m_keep)
            return;
        if (m_type == Type::InlineString) {
            if (m_inline)
                ownText(unescapeOoxml(std::move(m_value)));
        } else if (!m_hasValue) {
        } else if (m_type == Type::Shared) {
            // The leading digits, as from_chars() takes them.
            std::uint64_t i = 0;
            std::size_t k = 0;
            for (; k < m_value.size() && m_value[k] >= '0' && m_value[k] <= '9' && i < kOwnText; ++k)
                i = i * 10 + static_cast<std::uint64_t>(m_value[k] - '0');
            if (k > 0 && i < kOwnText)
                m_items.push_back({m_cellRow, m_cellColumn, static_cast<std::uint32_t>(i)});
        } else if (m_type == Type::Text) {
            ownText(unescapeOoxml(std::move(m_value)));
        } else if (m_type == Type::Boolean) {
            ownText(m_value == "1" ? "TRUE" : "FALSE");
        } else if (m_type == Type::Date) {
            std::string text = std::move(m_value);
            if (text.size() > 10 && text[10] == 'T')
                text[10] = ' ';
            if (text.size() > 19)
                text.resize(19);
            if (text.size() == 19 && text.compare(10, 9, " 00:00:00") == 0)
                text.resize(10);
            ownText(text);
        } else {
            const celltext::DateParts parts =
                m_style >= 0 && m_style < static_cast<long long>(m_xfDate.size())
                    ? m_xfDate[static_cast<std::size_t>(m_style)]
                    : celltext::DateParts::None;
            if (parts == celltext::DateParts::None && shownAsWritten(m_value)) {
                ownText(m_value);
                return;
            }
            double value = 0;
            const auto parsed = std::from_chars(m_value.data(), m_value.data() + m_value.size(), value);
            if (parsed.ec != std::errc() || parsed.ptr != m_value.data() + m_value.size())
                ownText(m_value);
            else
                ownText(parts == celltext::DateParts::None ? celltext::number(value)
                                                           : celltext::serialDate(value, parts, m_date1904));
        }
    }

    void ownText(std::string_view text) {
        if (text.empty())
            return;
        m_texts.append(text);
        m_items.push_back({m_cellRow, m_cellColumn, kOwnText});
    }

    const std::vector<celltext::DateParts>& m_xfDate;
    bool m_date1904;
    Chunks<Item> m_items;
    TextBlock m_texts;

    bool m_inData = false, m_inRow = false, m_rowKept = false, m_inCell = false;
    int m_row = -1, m_column = -1;
    int m_cellRow = 0, m_cellColumn = 0;
    bool m_keep = false, m_hasValue = false, m_inline = false, m_inText = false;
    int m_phonetic = 0;
    Type m_type = Type::Number;
    long long m_style = 0;
    std::string m_value;
};

// A zip archive over bytes someone else keeps.
class Archive {
public:
    explicit Archive(const std::string& bytes) {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
        if (src) {
            m_zip = zip_open_from_source(src, ZIP_RDONLY, &error);
            if (!m_zip)
                zip_source_free(src);
        }
        zip_error_fini(&error);
    }
    ~Archive() {
        if (m_zip)
            zip_discard(m_zip);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool isOpen() const { return m_zip != nullptr; }

    bool has(const std::string& name) const {
        return zip_name_locate(m_zip, entry(name), ZIP_FL_NOCASE) >= 0;
    }

    zip_file_t* open(const std::string& name, zip_uint64_t* size) const {
        const zip_int64_t index = zip_name_locate(m_zip, entry(name), ZIP_FL_NOCASE);
        if (index < 0)
            return nullptr;
        zip_stat_t st;
        if (zip_stat_index(m_zip, static_cast<zip_uint64_t>(index), 0, &st) != 0)
            return nullptr;
        if (size)
            *size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        return zip_fopen_index(m_zip, static_cast<zip_uint64_t>(index), 0);
    }

    bool read(const std::string& name, std::string& out) const {
        zip_uint64_t size = 0;
        zip_file_t* f = open(name, &size);
        if (!f)
            return false;
        out.clear();
        // The size is what the archive claims; reserve no more than a plausible part.
        out.reserve(static_cast<std::size_t>(std::min<zip_uint64_t>(size, zip_uint64_t{1} << 24)));
        char buf[1 << 16];
        bool ok = true;
        while (true) {
            const zip_int64_t n = zip_fread(f, buf, sizeof buf);
            if (n < 0 || out.size() + static_cast<std::size_t>(n) > kMaxPartBytes) {
                ok = false;
                break;
            }
            if (n == 0)
                break;
            out.append(buf, static_cast<std::size_t>(n));
        }
        zip_fclose(f);
        return ok;
    }

    // Reads a part through the handler fresh() makes: quickly, and when the quick
    // reader gives up, again from the start through a new one with expat. `ahead`:
    // inflate on another thread.
    template <typename Fresh> bool stream(const std::string& name, Fresh&& fresh, bool ahead) const {
        const zip_int64_t index = zip_name_locate(m_zip, entry(name), ZIP_FL_NOCASE);
        if (index < 0)
            return false;
        EntryReader f(m_zip, static_cast<zip_uint64_t>(index));
        if (!f.isOpen())
            return false;
        bool accepted = true, failed = false;
        {
            PlainXml<std::remove_reference_t<decltype(fresh())>> xml(fresh());
            if (ahead) {
                InflatePipe pipe(f);
                while (accepted && pipe.next([&](char* data, std::size_t n) {
                    accepted = xml.parseInPlace(data, n, InflatePipe::kRoom);
                })) {
                }
                failed = pipe.failed();
            } else {
                constexpr std::size_t kRoom = InflatePipe::kRoom, kBlock = InflatePipe::kBlock;
                const auto buf = std::make_unique_for_overwrite<char[]>(kRoom + kBlock);
                while (accepted) {
                    const zip_int64_t n = f.read(buf.get() + kRoom, kBlock);
                    if (n <= 0) {
                        failed = n < 0;
                        break;
                    }
                    accepted = xml.parseInPlace(buf.get() + kRoom, static_cast<std::size_t>(n), kRoom);
                }
            }
            if (accepted && !failed)
                accepted = xml.parse(true);
        }
        if (failed)
            return false;
        if (accepted)
            return true;
        partsReadAgain.fetch_add(1, std::memory_order_relaxed);
        return streamWithExpat(name, fresh());
    }

private:
    bool streamWithExpat(const std::string& name, XmlHandler& handler) const {
        zip_file_t* f = open(name, nullptr);
        if (!f)
            return false;
        XML_Parser parser = XML_ParserCreate(nullptr);
        if (!parser) {
            zip_fclose(f);
            return false;
        }
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
            const zip_int64_t n = buf ? zip_fread(f, buf, kChunk) : -1;
            if (n < 0) {
                ok = false;
                break;
            }
            ok = XML_ParseBuffer(parser, static_cast<int>(n), n == 0) == XML_STATUS_OK;
            if (n == 0)
                break;
        }
        XML_ParserFree(parser);
        zip_fclose(f);
        return ok;
    }

    // Part names in relationships may start with the package root.
    static const char* entry(const std::string& name) {
        return name.c_str() + (name.rfind('/', 0) == 0 ? 1 : 0);
    }

    zip_t* m_zip = nullptr;
};

class XlsxReader final : public WorkbookReader {
public:
    explicit XlsxReader(std::string bytes) : m_bytes(std::move(bytes)), m_zip(m_bytes) {}

    bool open();
    const std::vector<std::string>& sheetNames() const override { return m_names; }
    bool readSheet(int index, CellSink& sink) override;

private:
    bool loadXml(const std::string& name, pugi::xml_document& doc) const;
    std::map<std::string, std::string> relationships(const std::string& partName) const;
    static std::string resolve(const std::string& base, const std::string& target);

    std::string m_bytes;
    Archive m_zip;
    std::vector<std::string> m_names;
    std::vector<std::string> m_sheetParts;
    std::string m_sharedStringsPart;
    std::vector<celltext::DateParts> m_xfDate; // per cellXfs index
    bool m_date1904 = false;
};

bool XlsxReader::loadXml(const std::string& name, pugi::xml_document& doc) const {
    std::string content;
    if (!m_zip.read(name, content))
        return false;
    // Whitespace-only text (a cell holding " ") is data.
    return static_cast<bool>(
        doc.load_buffer(content.data(), content.size(), pugi::parse_default | pugi::parse_ws_pcdata_single));
}

std::string XlsxReader::resolve(const std::string& base, const std::string& target) {
    if (!target.empty() && target[0] == '/')
        return target.substr(1);
    std::string dir = base.substr(0, base.find_last_of('/') + 1);
    std::string t = target;
    while (t.rfind("../", 0) == 0) {
        t.erase(0, 3);
        if (!dir.empty())
            dir.pop_back();
        dir = dir.substr(0, dir.find_last_of('/') + 1);
    }
    return dir + t;
}

std::map<std::string, std::string> XlsxReader::relationships(const std::string& partName) const {
    std::map<std::string, std::string> rels;
    const std::size_t slash = partName.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : partName.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? partName : partName.substr(slash + 1);
    pugi::xml_document doc;
    if (!loadXml(dir + "_rels/" + file + ".rels", doc))
        return rels;
    forEachChild(child(doc, "Relationships"), "Relationship", [&](pugi::xml_node r) {
        rels[r.attribute("Id").as_string()] = resolve(partName, r.attribute("Target").as_string());
        const std::string type = r.attribute("Type").as_string();
        if (type.size() >= 14 && type.compare(type.size() - 14, 14, "/sharedStrings") == 0)
            rels["#sharedStrings"] = resolve(partName, r.attribute("Target").as_string());
        if (type.size() >= 7 && type.compare(type.size() - 7, 7, "/styles") == 0)
            rels["#styles"] = resolve(partName, r.attribute("Target").as_string());
    });
    return rels;
}

bool XlsxReader::open() {
    if (!m_zip.isOpen())
        return false;

    std::string workbookPart = "xl/workbook.xml";
    {
        pugi::xml_document doc;
        if (loadXml("_rels/.rels", doc))
            forEachChild(child(doc, "Relationships"), "Relationship", [&](pugi::xml_node r) {
                const std::string type = r.attribute("Type").as_string();
                if (type.size() >= 15 && type.compare(type.size() - 15, 15, "/officeDocument") == 0)
                    workbookPart = resolve("", r.attribute("Target").as_string());
            });
    }
    pugi::xml_document workbook;
    if (!loadXml(workbookPart, workbook))
        return false;
    const pugi::xml_node wb = child(workbook, "workbook");
    if (!wb)
        return false;
    const std::string date1904 = attribute(child(wb, "workbookPr"), "date1904").as_string();
    m_date1904 = date1904 == "1" || date1904 == "true";

    auto rels = relationships(workbookPart);
    forEachChild(child(wb, "sheets"), "sheet", [&](pugi::xml_node s) {
        m_names.push_back(cp949::fromUtf8(s.attribute("name").as_string()).text);
        const auto it = rels.find(attribute(s, "id").as_string());
        m_sheetParts.push_back(it == rels.end() ? std::string() : it->second);
    });
    if (m_names.empty())
        return false;
    m_sharedStringsPart = rels.count("#sharedStrings") ? rels["#sharedStrings"] : "xl/sharedStrings.xml";

    const std::string stylesPart = rels.count("#styles") ? rels["#styles"] : "xl/styles.xml";
    pugi::xml_document styles;
    if (loadXml(stylesPart, styles)) {
        const pugi::xml_node sheet = child(styles, "styleSheet");
        std::map<int, celltext::DateParts> custom;
        forEachChild(child(sheet, "numFmts"), "numFmt", [&](pugi::xml_node f) {
            custom[f.attribute("numFmtId").as_int(-1)] =
                celltext::datePartsOfFormat(f.attribute("formatCode").as_string());
        });
        forEachChild(child(sheet, "cellXfs"), "xf", [&](pugi::xml_node xf) {
            const int id = xf.attribute("numFmtId").as_int(0);
            const auto it = custom.find(id);
            m_xfDate.push_back(it != custom.end() ? it->second : celltext::datePartsOfBuiltinFormat(id));
        });
    }
    return true;
}

bool XlsxReader::readSheet(int index, CellSink& sink) {
    if (index < 0 || index >= static_cast<int>(m_sheetParts.size()))
        return false;
    const std::string& part = m_sheetParts[static_cast<std::size_t>(index)];
    if (part.empty())
        return false;
    // A workbook without text has no shared strings; a broken part is a broken workbook.
    // The second reader has its own archive: one zip handle is not for two threads.
    std::optional<SharedStrings> strings;
    std::future<bool> stringsRead;
    if (m_zip.has(m_sharedStringsPart))
        stringsRead = std::async(std::launch::async, [&] {
            const Archive zip(m_bytes);
            if (!zip.stream(
                    m_sharedStringsPart, [&]() -> SharedStrings& { return strings.emplace(); }, false))
                return false;
            strings->finish();
            return true;
        });
    // A chart or dialog sheet has no sheetData, so no cells.
    std::optional<SheetCells> cells;
    const bool sheetRead = m_zip.stream(
        part, [&]() -> SheetCells& { return cells.emplace(m_xfDate, m_date1904); }, true);
    if (stringsRead.valid() && !stringsRead.get())
        return false;
    if (!sheetRead)
        return false;
    if (!strings)
        strings.emplace();
    cells->finish(*strings, sink);
    return true;
}

} // namespace

std::size_t xlsxPartsReadAgain() {
    return partsReadAgain.load(std::memory_order_relaxed);
}

std::unique_ptr<WorkbookReader> openXlsx(std::string bytes) {
    auto reader = std::make_unique<XlsxReader>(std::move(bytes));
    if (!reader->open())
        return nullptr;
    return reader;
}

} // namespace qb
