#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

// Reads the streamed parts of a workbook (shared strings, sheets) as events to an
// XmlHandler: an element's start with its attributes, its end, its text. Names
// arrive as their local names. PlainXml takes the bytes block by block and reads
// only the XML spreadsheet programs write, in UTF-8: what it accepts is
// well-formed and reaches the handler as expat would give it; on anything else
// it gives up (the handler may have had part of it), and the part is read again
// from the start, through a fresh handler, with readWithExpat(), whose verdict
// stands.
namespace qb::xlsx {

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

// The name after its prefix, if any.
std::string_view localName(const char* name);

// Reads a part with expat, taking its bytes from `read` (up to n of them into the
// buffer; 0 at the end, below 0 on a fault). False when the part is no XML or
// its bytes fail.
bool readWithExpat(XmlHandler& handler, const std::function<std::int64_t(char*, std::size_t)>& read);

// What of PlainXml does not depend on the handler.
class PlainXmlBase {
protected:
    enum class Step { Done, More, GiveUp };

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
    static Step prolog(char*& p, char* end, bool last);
    // Checks and decodes [p, stop) where it is; the new end, or nullptr to give up.
    // Attribute values have their white space normalised as well.
    static char* decode(char* p, char* stop, bool attribute);
};

// The XML that spreadsheet programs write, read without expat's generality:
// elements, attributes, text, the five entities and character references, in
// UTF-8. Sheets are hundreds of megabytes of small tags, and this reads them
// several times faster. A part with anything else (a DTD, comments, CDATA,
// processing instructions, another encoding) or with any fault is given up on,
// and the caller reads it again with expat, whose verdict stands. So everything
// accepted here must be well-formed XML, and reach the handler as expat gives it.
// The handler's own type, so that its calls are inlined.
template <typename Handler> class PlainXml : private PlainXmlBase {
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

    static constexpr std::size_t kMaxUnread = std::size_t{1} << 20;

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

    [[gnu::always_inline]] Step startTag(char*& p, char* end) {
        char* q = p + 1;
        if (!isNameStart(*q))
            return Step::GiveUp; // "<!", "<?", or no name
        char* elementFrom = nullptr;
        q = scanName(q, end, elementFrom);
        const std::string_view name(p + 1, static_cast<std::size_t>(q - p - 1));
        const std::string_view element(elementFrom, static_cast<std::size_t>(q - elementFrom));
        std::size_t n = 0; // attributes
        bool empty = false;
        if (const Step step = attributeSpans(q, end, n, empty); step != Step::Done)
            return step;
        // The tag is whole: only now is it written over.
        if (m_rootDone || !decodeAttributes(n))
            return Step::GiveUp; // a second root, or a fault
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

    // The attributes up to the tag's end, noted in m_spans; `q` ends past the tag.
    [[gnu::always_inline]] Step attributeSpans(char*& q, char* end, std::size_t& n, bool& empty) {
        while (true) {
            const char* spaceFrom = q;
            while (q < end && isSpace(*q))
                ++q;
            if (q >= end)
                return Step::More;
            if (*q == '>') {
                ++q;
                return Step::Done;
            }
            if (*q == '/') {
                if (q + 1 >= end)
                    return Step::More;
                if (q[1] != '>')
                    return Step::GiveUp;
                q += 2;
                empty = true;
                return Step::Done;
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
    }

    // The noted attributes, checked and decoded in place into m_attributes.
    [[gnu::always_inline]] bool decodeAttributes(std::size_t n) {
        for (std::size_t i = 1; i < n; ++i) {
            const std::string_view an = nameOf(m_spans[i]);
            for (std::size_t j = 0; j < i; ++j)
                if (same(nameOf(m_spans[j]), an))
                    return false;
        }
        if (m_attributes.size() < n)
            m_attributes.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            Attribute& a = m_spans[i];
            char* valueEnd = a.plain ? a.valueEnd : decode(a.value, a.valueEnd, true);
            if (!valueEnd)
                return false;
            *valueEnd = '\0';
            XmlAttribute& out = m_attributes[i];
            out.name = std::string_view(a.localFrom, static_cast<std::size_t>(a.nameEnd - a.localFrom));
            out.value = std::string_view(a.value, static_cast<std::size_t>(valueEnd - a.value));
        }
        return true;
    }

    [[gnu::always_inline]] Step endTag(char*& p, char* end) {
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

} // namespace qb::xlsx
