#include "import/CsvRecords.h"

namespace qb::csv {
namespace {

Record ending(std::string_view text, std::size_t pos, std::size_t end) {
    Record r;
    r.next = end < text.size() ? end + 1 : end;
    if (end < text.size() && end > pos && text[end - 1] == '\r')
        --end;
    r.bytes = text.substr(pos, end - pos);
    return r;
}

} // namespace

Record next(std::string_view text, std::size_t pos) {
    const std::size_t n = text.size();
    std::size_t nl = text.find('\n', pos);
    if (nl == std::string_view::npos)
        nl = n;
    // Most records hold no quote.
    if (std::memchr(text.data() + pos, '"', nl - pos) == nullptr)
        return ending(text, pos, nl);

    enum { FieldStart, Unquoted, Quoted, QuoteSeen } state = FieldStart;
    std::size_t openedAt = 0;
    for (std::size_t i = pos; i < n; ++i) {
        const char c = text[i];
        switch (state) {
        case FieldStart:
            if (c == '"') {
                state = Quoted;
                openedAt = i;
            } else if (c == '\n') {
                return ending(text, pos, i);
            } else if (c != ',') {
                state = Unquoted;
            }
            break;
        case Unquoted:
            if (c == ',')
                state = FieldStart;
            else if (c == '\n')
                return ending(text, pos, i);
            break;
        case Quoted: {
            const std::size_t q = text.find('"', i);
            if (q == std::string_view::npos) {
                Record r;
                r.fault = Record::Unclosed;
                r.faultAt = openedAt;
                r.next = n;
                return r;
            }
            i = q;
            state = QuoteSeen;
            break;
        }
        case QuoteSeen:
            if (c == '"') {
                state = Quoted;
            } else if (c == ',') {
                state = FieldStart;
            } else if (c == '\n') {
                return ending(text, pos, i);
            } else if (!(c == '\r' && i + 1 < n && text[i + 1] == '\n')) {
                Record r;
                r.fault = Record::TextAfterQuote;
                r.faultAt = i;
                r.next = n;
                return r;
            }
            break;
        }
    }
    if (state == Quoted) {
        Record r;
        r.fault = Record::Unclosed;
        r.faultAt = openedAt;
        r.next = n;
        return r;
    }
    return ending(text, pos, n);
}

} // namespace qb::csv
