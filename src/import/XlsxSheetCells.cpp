#include "import/XlsxSheetCells.h"

#include "common/Bytes.h"
#include "common/Cp949.h"

#include <algorithm>
#include <charconv>

namespace qb::xlsx {
namespace {

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

} // namespace

void TextBlock::append(std::string_view text) {
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

void TextBlock::endPieces(std::size_t from) {
    const std::string_view text = std::string_view(m_bytes).substr(from);
    if (text.find("_x") != std::string_view::npos || std::memchr(text.data(), '\0', text.size())) {
        std::string whole(text);
        m_bytes.resize(from);
        append(unescapeOoxml(std::move(whole)));
        return;
    }
    m_bytes.push_back('\0');
}

void TextBlock::toCp949() {
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    std::size_t read = 0, write = 0;
    while (read < m_bytes.size()) {
        std::size_t end = std::min(m_bytes.size(), read + kPiece);
        if (end < m_bytes.size()) {
            // Up to a NUL, so that no character is cut.
            const std::size_t nul = m_bytes.find('\0', end);
            end = nul == std::string::npos ? m_bytes.size() : nul + 1;
        }
        const std::string piece = cp949::fromUtf8(std::string_view(m_bytes).substr(read, end - read)).text;
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

void SharedStrings::finish() {
    m_block.toCp949();
    m_starts.reserve(m_count + 1);
    TextBlock::Reader r = m_block.reader();
    for (std::size_t i = 0; i < m_count; ++i)
        m_starts.push_back(static_cast<std::size_t>(r.next().data() - m_block.data()));
    m_starts.push_back(m_block.size());
}

void SheetCells::finish(const SharedStrings& strings, WorkbookReader::CellSink& sink) {
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

void SheetCells::keepValue() {
    if (m_type == Type::InlineString) {
        if (m_inline)
            ownText(unescapeOoxml(std::move(m_value)));
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
        const celltext::DateParts parts = m_style >= 0 && m_style < static_cast<long long>(m_xfDate.size())
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

void SheetCells::ownText(std::string_view text) {
    if (text.empty())
        return;
    m_texts.append(text);
    m_items.push_back({m_cellRow, m_cellColumn, kOwnText});
}

} // namespace qb::xlsx
