#include "compose/AdvertisingCheck.h"

#include "common/Cp949.h"
#include "compose/AdvertisingSettings.h"

#include <algorithm>
#include <cctype>

namespace qb {
namespace {

constexpr std::size_t npos = std::string_view::npos;

std::size_t charLength(std::string_view text, std::size_t i) {
    return cp949::isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

std::string_view charAt(std::string_view text, std::size_t i) {
    return text.substr(i, charLength(text, i));
}

// The first `needle` at or after `from` that starts a character: a two-byte
// character's second byte may equal an ASCII letter.
std::size_t findText(std::string_view hay, std::string_view needle, std::size_t from = 0) {
    if (needle.empty())
        return from;
    for (std::size_t i = from; i + needle.size() <= hay.size(); i += charLength(hay, i))
        if (hay[i] == needle[0] && hay.compare(i, needle.size(), needle) == 0)
            return i;
    return npos;
}

bool isOneOf(std::string_view c, std::string_view ascii, const std::string& wide) {
    if (c.size() == 1)
        return ascii.find(c[0]) != npos;
    for (std::size_t i = 0; i + 1 < wide.size(); i += 2)
        if (wide.compare(i, 2, c) == 0)
            return true;
    return false;
}

bool isOpener(std::string_view c) {
    static const std::string wide = ko("（［＜｛〈《「『【〔");
    return isOneOf(c, "([<{", wide);
}

bool isCloser(std::string_view c) {
    static const std::string wide = ko("）］＞｝〉》」』】〕");
    return isOneOf(c, ")]>}", wide);
}

// Spaces and punctuation, ASCII or full-width, that are not brackets.
bool isSeparator(std::string_view c) {
    if (isOpener(c) || isCloser(c))
        return false;
    const auto b0 = static_cast<unsigned char>(c[0]);
    if (c.size() == 1)
        return b0 == ' ' || b0 == '\t' || std::ispunct(b0) != 0;
    const auto b1 = static_cast<unsigned char>(c[1]);
    if (b0 == 0xA1) // full-width space, 、。·‥…〃 and the like, quotes
        return b1 >= 0xA1 && b1 <= 0xB1;
    if (b0 == 0xA2)
        return b1 == 0xA6; // ～
    // Full-width ASCII punctuation sits at the ASCII code + 0x80.
    return b0 == 0xA3 && b1 >= 0xA1 && std::ispunct(b1 - 0x80) != 0;
}

std::size_t skipSeparators(std::string_view text, std::size_t i) {
    while (i < text.size() && isSeparator(charAt(text, i)))
        i += charLength(text, i);
    return i;
}

std::size_t expect(std::string_view text, std::size_t i, const std::string& syllable) {
    return text.compare(i, syllable.size(), syllable) == 0 ? i + syllable.size() : npos;
}

bool isBlank(std::string_view line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
}

bool offersRefusal(std::string_view line, std::string_view digits) {
    static const std::string free = ko("무료"), refuse = ko("거부");
    if (findText(line, free) == npos || findText(line, refuse) == npos)
        return false;
    std::string plain;
    plain.reserve(line.size());
    for (char c : line)
        if (c != '-')
            plain += c;
    const auto digit = [&plain](std::size_t i) { return plain[i] >= '0' && plain[i] <= '9'; };
    for (std::size_t at = plain.find(digits); at != npos; at = plain.find(digits, at + 1))
        if ((at == 0 || !digit(at - 1)) && (at + digits.size() == plain.size() || !digit(at + digits.size())))
            return true;
    return false;
}

} // namespace

const std::string& adMarker() {
    static const std::string marker = ko("(광고)");
    return marker;
}

TextSpan findMarkerVariant(std::string_view text, std::size_t from) {
    static const std::string gwang = ko("광"), go = ko("고");
    for (std::size_t i = from; i < text.size(); i += charLength(text, i)) {
        if (!isOpener(charAt(text, i)))
            continue;
        std::size_t j = expect(text, skipSeparators(text, i + charLength(text, i)), gwang);
        if (j != npos)
            j = expect(text, skipSeparators(text, j), go);
        if (j == npos)
            continue;
        j = skipSeparators(text, j);
        if (j >= text.size() || !isCloser(charAt(text, j)))
            continue;
        const TextSpan span{i, j + charLength(text, j) - i};
        if (text.substr(span.pos, span.size) != adMarker())
            return span;
        i = span.pos + span.size - 1; // the ")" is one byte
    }
    return {};
}

bool hasOptOutLine(std::string_view body, std::string_view optOutDigits) {
    if (optOutDigits.empty())
        return false;
    std::size_t end = body.size();
    int lines = 0;
    bool trailing = true;
    for (;;) {
        const std::size_t lineBreak = end == 0 ? npos : body.rfind('\n', end - 1);
        const std::size_t from = lineBreak == npos ? 0 : lineBreak + 1;
        const std::string_view line = body.substr(from, end - from);
        if (!(trailing && isBlank(line))) {
            trailing = false;
            ++lines;
            if (offersRefusal(line, optOutDigits))
                return true;
        }
        if (lineBreak == npos || lines == 2)
            return false;
        end = lineBreak;
    }
}

std::string withAdvertisingText(std::string_view body, std::string_view name, std::string_view optOut) {
    std::string_view rest = body;
    if (rest.substr(0, adMarker().size()) == adMarker())
        rest.remove_prefix(adMarker().size());
    else if (const TextSpan v = findMarkerVariant(rest); v.pos == 0)
        rest.remove_prefix(v.size);
    std::string out = adMarker();
    const std::size_t text = rest.find_first_not_of(" \t");
    if (text == npos || rest.substr(text, name.size()) != name) {
        out += name;
        if (!rest.empty() && rest[0] != ' ' && rest[0] != '\t' && rest[0] != '\r' && rest[0] != '\n')
            out += "\r\n";
    }
    out += rest;
    if (!hasOptOutLine(out, numberDigits(optOut))) {
        if (out.back() != '\n')
            out += "\r\n";
        out += ko("무료수신거부 ");
        out += optOut;
    }
    return out;
}

AdvertisingCheck::AdvertisingCheck(MessageKind kind, std::string name, std::string optOut)
    : m_kind(kind), m_name(std::move(name)), m_optOut(std::move(optOut)),
      m_optOutDigits(numberDigits(m_optOut)) {}

void AdvertisingCheck::found(Finding f, long long row) {
    Rows& r = m_found[f];
    if (r.count < static_cast<long long>(kRowsNamed))
        r.first[static_cast<std::size_t>(r.count)] = row;
    ++r.count;
}

void AdvertisingCheck::check(std::string_view title, std::string_view body, long long row) {
    if (body.substr(0, adMarker().size()) != adMarker())
        found(MarkerNotFirst, row);
    std::string_view where = body;
    TextSpan variant = findMarkerVariant(body);
    if (variant.pos == npos) {
        where = title;
        variant = findMarkerVariant(title);
    }
    if (variant.pos != npos) {
        if (m_variant.empty())
            m_variant = where.substr(variant.pos, variant.size);
        found(MarkerVariant, row);
    }
    if (findText(body, m_name) == npos && findText(title, m_name) == npos)
        found(NameMissing, row);
    if (!hasOptOutLine(body, m_optOutDigits))
        found(OptOutMissing, row);
}

void AdvertisingCheck::add(const AdvertisingCheck& later) {
    for (std::size_t f = 0; f < kFindings; ++f) {
        Rows& a = m_found[f];
        const Rows& b = later.m_found[f];
        for (std::size_t i = 0; i < kRowsNamed && static_cast<long long>(i) < b.count; ++i) {
            const long long at = a.count + static_cast<long long>(i);
            if (at < static_cast<long long>(kRowsNamed))
                a.first[static_cast<std::size_t>(at)] = b.first[i];
        }
        a.count += b.count;
    }
    if (m_variant.empty())
        m_variant = later.m_variant;
}

void AdvertisingCheck::clear() {
    m_found = {};
    m_variant.clear();
}

bool AdvertisingCheck::passed() const {
    return std::all_of(m_found.begin(), m_found.end(), [](const Rows& r) { return r.count == 0; });
}

std::string AdvertisingCheck::line(Finding f) const {
    const bool mms = m_kind == MessageKind::Mms;
    switch (f) {
    case MarkerNotFirst:
        return mms ? ko("MMS 본문 글자가 \"(광고)\"로 시작하지 않습니다(사진 속 글자는 인정되지 않습니다).")
                   : ko("내용이 \"(광고)\"로 시작하지 않습니다.");
    case MarkerVariant:
        return "\"" + m_variant + ko("\"처럼 바꾼 표기는 쓸 수 없습니다. \"(광고)\"로 써주세요.");
    case NameMissing:
        return ko("상호(서비스명) \"") + m_name + ko("\" 표시가 없습니다.");
    case OptOutMissing:
        return (mms ? ko("MMS 본문 글자의 마지막 두 줄에 무료수신거부 문구가 없습니다(사진 속 글자는 "
                         "인정되지 않습니다). 예: \"무료수신거부 ")
                    : ko("마지막 두 줄에 무료수신거부 문구가 없습니다. 예: \"무료수신거부 ")) +
               m_optOut + "\"";
    case kFindings:
        break;
    }
    return {};
}

std::string AdvertisingCheck::report(const std::function<std::string(long long)>& rowName) const {
    std::string out = ko("광고 문자 규칙에 맞지 않습니다. 고친 뒤 다시 미리보기 해주세요.");
    for (std::size_t f = 0; f < kFindings; ++f) {
        const Rows& r = m_found[f];
        if (r.count == 0)
            continue;
        out += "\n- " + line(static_cast<Finding>(f));
        // A message without merge fields is the same for every row: no rows to name.
        if (r.first[0] == 0)
            continue;
        out += ko(" (행 ");
        const std::size_t named = std::min<std::size_t>(kRowsNamed, static_cast<std::size_t>(r.count));
        for (std::size_t i = 0; i < named; ++i)
            out += (i ? ", " : "") + (rowName ? rowName(r.first[i]) : std::to_string(r.first[i]));
        if (r.count > static_cast<long long>(named))
            out += ko(", … 총 ") + std::to_string(r.count) + ko("행");
        out += ")";
    }
    return out;
}

} // namespace qb
