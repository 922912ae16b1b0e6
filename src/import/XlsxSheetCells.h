#pragma once

#include "import/CellText.h"
#include "import/WorkbookReader.h"
#include "import/XmlScanner.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The handlers of the streamed parts: SheetCells for one sheet, SharedStrings for
// the workbook's strings. Each cell becomes the text the user sees, in CP949:
// shared and inline strings, booleans, dates, and numbers as the cell's number
// format shows them. Cells past the sheet's last row or column, references to
// strings that do not exist, and empty texts never reach the sink. Memory follows
// the cells that hold something, not the size of the XML.
namespace qb::xlsx {

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
    void append(std::string_view text);
    // A text written in pieces straight into the block, from `from` (the size
    // before its first piece) on: append(unescapeOoxml(pieces)) without the copies.
    void appendPiece(std::string_view piece) {
        grow(piece.size());
        m_bytes.append(piece);
    }
    void endPieces(std::size_t from);
    void dropFrom(std::size_t from) { m_bytes.resize(from); }
    // A piece at a time, written back where it was read (CP949 is never longer
    // than UTF-8): the texts are not held twice.
    void toCp949();
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
    void finish();
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
    void finish(const SharedStrings& strings, WorkbookReader::CellSink& sink);

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

    enum class Reference { Ok, OutOfSheet, Malformed };

    // "C5" -> row 4, column 2 (from 0). A reference past the sheet's last row or column
    // is OutOfSheet; anything that is no reference is Malformed.
    static Reference parseReference(std::string_view ref, int& row, int& column) {
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

    // A row number as written; 0 when it is none.
    static long long parseRowNumber(std::string_view text) {
        long long r = 0;
        const char* end = text.data() + text.size();
        const auto parsed = std::from_chars(text.data(), end, r);
        if (parsed.ec == std::errc::result_out_of_range)
            return kMaxSheetRows + 1LL;
        return parsed.ec == std::errc() && parsed.ptr == end && r > 0 ? r : 0;
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
        if (m_keep && (m_hasValue || m_type == Type::InlineString))
            keepValue();
    }
    // The kept cell's value as its text.
    void keepValue();
    void ownText(std::string_view text);

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

} // namespace qb::xlsx
