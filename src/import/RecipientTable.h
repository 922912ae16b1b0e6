#pragma once

#include "common/ArenaOffsets.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The send form's grid as data: text cells addressed by (row, column) from 0, row 0
// being the header row. Millions of rows are common, so data rows live in one byte
// arena (one length-prefixed blob per row) and colours are kept per column, which
// is all the form ever sets.
namespace qb {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

namespace colours {
inline constexpr Rgb header{236, 233, 216};
inline constexpr Rgb white{255, 255, 255};
inline constexpr Rgb numberColumn{234, 234, 243};
inline constexpr Rgb callback{196, 255, 196};
inline constexpr Rgb body{255, 223, 255};
inline constexpr Rgb reservation{232, 232, 244};
} // namespace colours

// A rectangle of selected cells; all -1 when nothing is selected.
struct CellRange {
    int minRow = -1, minCol = -1, maxRow = -1, maxCol = -1;
    bool valid() const { return minRow >= 0 && maxRow >= minRow; }
};

// Data rows put together away from the table, on another thread, for setRows: each
// one as setRow would store it in a table of `columns` columns.
class RowBlobs {
public:
    void clear(std::size_t columns);
    void add(std::span<const std::string_view> cells);
    std::size_t size() const { return m_ends.size(); }

private:
    friend class RecipientTable;
    std::size_t m_columns = 0;
    std::string m_bytes;
    std::vector<std::uint32_t> m_ends; // row i is m_bytes[m_ends[i - 1], m_ends[i]); empty: no cells
};

class RecipientTable {
public:
    int rowCount() const { return m_rowCount; }
    int columnCount() const { return static_cast<int>(m_header.size()); }
    int dataRowCount() const { return static_cast<int>(m_rows.size()); }

    void setRowCount(int rows);
    void setColumnCount(int columns);
    void clear();

    // Refused (false) outside the grid, as the form relies on for surplus fields.
    bool setCell(int row, int column, std::string_view text);
    // Replaces a data row's cells 0..n-1 at once; the fast path of every load.
    bool setRow(int row, std::span<const std::string_view> cells);
    // setRow for each row from `firstRow` on, in one go. Refused when the rows do not
    // fit or were made for more columns than the table has.
    bool setRows(int firstRow, const RowBlobs& rows);
    std::string_view text(int row, int column) const;

    bool setHeaderBackground(int column, Rgb colour);
    bool setDataBackground(int column, Rgb colour);
    // nullopt: the grid's default colour.
    std::optional<Rgb> background(int row, int column) const;

    bool setColumnWidth(int column, int pixels);
    int columnWidth(int column) const; // -1: default width

    // Removes `count` data rows starting at `row` (>= 1); later rows move up.
    bool deleteRows(int row, int count);

    // The data rows (ascending) where a load wrote '?' for a character CP949 cannot
    // hold; clear() forgets them and deleteRows moves them with their rows.
    void setReplacedRows(std::vector<int> rows) { m_replacedRows = std::move(rows); }
    const std::vector<int>& replacedRows() const { return m_replacedRows; }

    // Room for `bytes` more bytes of cell text (a big load knows its size).
    void reserveText(std::size_t bytes);
    // Bytes held for cell text (for the memory figures of the benchmarks).
    std::size_t arenaBytes() const { return m_arena.size(); }

    // Grows with every change of cells, counts, colours or widths, so a view can
    // tell whether it must look again without comparing a million rows.
    std::uint64_t revision() const { return m_revision; }
    // Grows with every clear(): each load, preview and reset starts a new table, so
    // nothing a view kept about the old one (its selection above all) may outlive it,
    // whatever the new table's shape.
    std::uint64_t generation() const { return m_generation; }

private:
    static constexpr std::uint64_t kEmptyRow = ArenaOffsets::kMax;

    std::size_t cellCountAt(std::uint64_t offset) const;
    std::size_t blobSize(std::uint64_t offset) const;
    void writeRow(std::size_t index, std::span<const std::string_view> cells);
    void compactIfWasteful();

    int m_rowCount = 0;
    std::vector<std::string> m_header; // one per column
    std::vector<std::optional<Rgb>> m_headerBackground;
    std::vector<std::optional<Rgb>> m_dataBackground;
    std::vector<int> m_width;
    ArenaOffsets m_rows; // data row i -> its blob in m_arena
    std::string m_arena;
    std::size_t m_garbage = 0;
    std::uint64_t m_revision = 0;
    std::uint64_t m_generation = 0;
    std::vector<int> m_replacedRows;
};

// The text of the row number column, written without allocating: a million
// rows are labelled on every load.
class RowLabel {
public:
    std::string_view operator()(long long r) {
        const auto res = std::to_chars(m_buf, m_buf + sizeof m_buf, r);
        return {m_buf, static_cast<std::size_t>(res.ptr - m_buf)};
    }

private:
    char m_buf[24];
};

} // namespace qb
