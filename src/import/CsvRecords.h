#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

// Comma-separated records as RFC 4180 writes them: a field that starts with a quote
// runs to the closing quote, a doubled quote inside it is one quote, and commas and
// line breaks inside it are text. A quote anywhere else is text. Empty fields count.
namespace qb::csv {

struct Record {
    enum Fault { None, Unclosed, TextAfterQuote };
    std::string_view bytes; // without its line end
    std::size_t next = 0;   // where the next record starts
    Fault fault = None;
    std::size_t faultAt = 0; // the quote left open, or the byte after a closing quote
};

// The record at `pos` (< text.size()). It ends at a line break outside quotes (a CR
// before it belongs to the line end) or at the end of `text`. Line breaks inside
// quotes stay as they are, CR LF or LF.
Record next(std::string_view text, std::size_t pos);

// Calls field(std::string_view) for each field of a record `next` found without a
// fault; returns how many. An empty record has none. Fields with doubled quotes are
// written into `scratch`, which keeps its buffer for the next record.
template <class Field> int forEachField(std::string_view record, std::string& scratch, Field&& field) {
    if (record.empty())
        return 0;
    int count = 0;
    std::size_t i = 0;
    const std::size_t n = record.size();
    const bool quoted = std::memchr(record.data(), '"', n) != nullptr;
    if (quoted) {
        // Unquoted text is never longer than its record: views into scratch stay put.
        scratch.clear();
        scratch.reserve(n);
    }
    for (;;) {
        if (quoted && i < n && record[i] == '"') {
            std::size_t from = ++i;
            std::size_t start = std::string::npos; // in scratch, once a doubled quote is seen
            std::size_t q = record.find('"', i);
            while (q != std::string_view::npos && q + 1 < n && record[q + 1] == '"') {
                if (start == std::string::npos)
                    start = scratch.size();
                scratch.append(record.substr(from, q + 1 - from));
                from = q + 2;
                q = record.find('"', from);
            }
            const std::size_t close = q == std::string_view::npos ? n : q;
            if (start == std::string::npos) {
                field(record.substr(from, close - from));
            } else {
                scratch.append(record.substr(from, close - from));
                field(std::string_view(scratch).substr(start));
            }
            i = record.find(',', close);
        } else {
            const std::size_t comma = record.find(',', i);
            field(record.substr(i, (comma == std::string_view::npos ? n : comma) - i));
            i = comma;
        }
        ++count;
        if (i == std::string_view::npos || i >= n)
            return count;
        if (++i == n) {
            field(std::string_view());
            return count + 1;
        }
    }
}

} // namespace qb::csv
