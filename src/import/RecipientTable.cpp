#include "import/RecipientTable.h"

#include "common/Varint.h"

#include <algorithm>
#include <cstring>

namespace qb {

void RecipientTable::clear() {
    ++m_revision;
    ++m_generation;
    m_rowCount = 0;
    m_header.clear();
    m_headerBackground.clear();
    m_dataBackground.clear();
    m_width.clear();
    m_rows.release();
    m_arena.clear();
    m_arena.shrink_to_fit();
    m_garbage = 0;
    m_replacedRows.clear();
}

void RecipientTable::setRowCount(int rows) {
    ++m_revision;
    rows = std::max(rows, 0);
    const std::size_t data = rows > 0 ? static_cast<std::size_t>(rows - 1) : 0;
    for (std::size_t i = data; i < m_rows.size(); ++i)
        if (m_rows[i] != kEmptyRow)
            m_garbage += blobSize(m_rows[i]);
    if (data > m_rows.size())
        m_rows.reserve(data);
    m_rows.resize(data, kEmptyRow);
    m_rowCount = rows;
    compactIfWasteful();
}

void RecipientTable::setColumnCount(int columns) {
    ++m_revision;
    columns = std::max(columns, 0);
    const auto n = static_cast<std::size_t>(columns);
    if (n < m_header.size()) {
        // Cells of removed columns must not come back if the grid grows again.
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            if (m_rows[i] == kEmptyRow || cellCountAt(m_rows[i]) <= n)
                continue;
            std::vector<std::string> kept;
            for (std::size_t c = 0; c < n; ++c)
                kept.emplace_back(text(static_cast<int>(i) + 1, static_cast<int>(c)));
            std::vector<std::string_view> views(kept.begin(), kept.end());
            writeRow(i, views);
        }
    }
    m_header.resize(n);
    m_headerBackground.resize(n);
    m_dataBackground.resize(n);
    m_width.resize(n, -1);
    compactIfWasteful();
}

std::size_t RecipientTable::cellCountAt(std::uint64_t offset) const {
    const char* p = m_arena.data() + offset;
    return varint::get(p);
}

std::size_t RecipientTable::blobSize(std::uint64_t offset) const {
    const char* start = m_arena.data() + offset;
    const char* p = start;
    std::size_t cells = varint::get(p);
    while (cells-- > 0)
        p += varint::get(p);
    return static_cast<std::size_t>(p - start);
}

namespace {

// A row's blob (its cell count, then each cell's length and bytes) appended to `out`,
// trailing empty cells and cells past `columns` left out. False, with nothing
// appended, when no cell is left: the row is empty.
bool appendBlob(std::string& out, std::span<const std::string_view> cells, std::size_t columns) {
    std::size_t n = std::min(cells.size(), columns);
    while (n > 0 && cells[n - 1].empty())
        --n;
    if (n == 0)
        return false;
    std::size_t size = 10;
    for (std::size_t c = 0; c < n; ++c)
        size += cells[c].size() + varint::kMaxBytes;
    // Short rows (nearly all) are put together on the stack and appended in one go.
    char small[512];
    std::string big;
    if (size > sizeof small)
        big.resize(size);
    char* const begin = size > sizeof small ? big.data() : small;
    char* p = varint::put(begin, n);
    for (std::size_t c = 0; c < n; ++c) {
        p = varint::put(p, cells[c].size());
        if (!cells[c].empty()) // an empty view may hold no pointer at all
            std::memcpy(p, cells[c].data(), cells[c].size());
        p += cells[c].size();
    }
    out.append(begin, static_cast<std::size_t>(p - begin));
    return true;
}

} // namespace

void RowBlobs::clear(std::size_t columns) {
    m_columns = columns;
    m_bytes.clear();
    m_ends.clear();
}

void RowBlobs::add(std::span<const std::string_view> cells) {
    appendBlob(m_bytes, cells, m_columns);
    m_ends.push_back(static_cast<std::uint32_t>(m_bytes.size()));
}

void RecipientTable::writeRow(std::size_t index, std::span<const std::string_view> cells) {
    if (m_rows[index] != kEmptyRow)
        m_garbage += blobSize(m_rows[index]);
    const std::uint64_t at = m_arena.size();
    m_rows.set(index, appendBlob(m_arena, cells, m_header.size()) ? at : kEmptyRow);
}

bool RecipientTable::setRows(int firstRow, const RowBlobs& rows) {
    if (firstRow < 1 || firstRow >= m_rowCount ||
        rows.size() > static_cast<std::size_t>(m_rowCount - firstRow) || rows.m_columns > m_header.size())
        return false;
    ++m_revision;
    const std::uint64_t base = m_arena.size();
    m_arena.append(rows.m_bytes);
    std::uint32_t start = 0;
    for (std::size_t i = 0, index = static_cast<std::size_t>(firstRow - 1); i < rows.size(); ++i, ++index) {
        if (m_rows[index] != kEmptyRow)
            m_garbage += blobSize(m_rows[index]);
        const std::uint32_t end = rows.m_ends[i];
        m_rows.set(index, end == start ? kEmptyRow : base + start);
        start = end;
    }
    compactIfWasteful();
    return true;
}

void RecipientTable::compactIfWasteful() {
    if (m_garbage < (1u << 20) || m_garbage * 2 < m_arena.size())
        return;
    std::string fresh;
    fresh.reserve(m_arena.size() - m_garbage);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const std::uint64_t offset = m_rows[i];
        if (offset == kEmptyRow)
            continue;
        const std::size_t size = blobSize(offset);
        m_rows.set(i, fresh.size());
        fresh.append(m_arena, offset, size);
    }
    m_arena = std::move(fresh);
    m_garbage = 0;
}

void RecipientTable::reserveText(std::size_t bytes) {
    m_arena.reserve(m_arena.size() + bytes);
}

bool RecipientTable::setRow(int row, std::span<const std::string_view> cells) {
    if (row < 1 || row >= m_rowCount)
        return false;
    ++m_revision;
    writeRow(static_cast<std::size_t>(row - 1), cells);
    compactIfWasteful();
    return true;
}

bool RecipientTable::setCell(int row, int column, std::string_view text) {
    if (row < 0 || row >= m_rowCount || column < 0 || column >= columnCount())
        return false;
    ++m_revision;
    if (row == 0) {
        m_header[static_cast<std::size_t>(column)] = std::string(text);
        return true;
    }
    const auto index = static_cast<std::size_t>(row - 1);
    std::vector<std::string> cells;
    const std::size_t stored = m_rows[index] == kEmptyRow ? 0 : cellCountAt(m_rows[index]);
    const std::size_t n = std::max(stored, static_cast<std::size_t>(column) + 1);
    for (std::size_t c = 0; c < n; ++c)
        cells.emplace_back(static_cast<int>(c) == column ? text : this->text(row, static_cast<int>(c)));
    std::vector<std::string_view> views(cells.begin(), cells.end());
    writeRow(index, views);
    compactIfWasteful();
    return true;
}

std::string_view RecipientTable::text(int row, int column) const {
    if (row < 0 || row >= m_rowCount || column < 0 || column >= columnCount())
        return {};
    if (row == 0)
        return m_header[static_cast<std::size_t>(column)];
    const std::uint64_t offset = m_rows[static_cast<std::size_t>(row - 1)];
    if (offset == kEmptyRow)
        return {};
    const char* p = m_arena.data() + offset;
    const std::size_t cells = varint::get(p);
    if (static_cast<std::size_t>(column) >= cells)
        return {};
    for (int c = 0; c < column; ++c)
        p += varint::get(p);
    const std::size_t len = varint::get(p);
    return {p, len};
}

bool RecipientTable::setHeaderBackground(int column, Rgb colour) {
    if (column < 0 || column >= columnCount() || m_rowCount < 1)
        return false;
    ++m_revision;
    m_headerBackground[static_cast<std::size_t>(column)] = colour;
    return true;
}

bool RecipientTable::setDataBackground(int column, Rgb colour) {
    if (column < 0 || column >= columnCount())
        return false;
    ++m_revision;
    m_dataBackground[static_cast<std::size_t>(column)] = colour;
    return true;
}

std::optional<Rgb> RecipientTable::background(int row, int column) const {
    if (row < 0 || row >= m_rowCount || column < 0 || column >= columnCount())
        return std::nullopt;
    const auto c = static_cast<std::size_t>(column);
    return row == 0 ? m_headerBackground[c] : m_dataBackground[c];
}

bool RecipientTable::setColumnWidth(int column, int pixels) {
    if (column < 0 || column >= columnCount() || pixels < 0)
        return false;
    ++m_revision;
    m_width[static_cast<std::size_t>(column)] = pixels;
    return true;
}

int RecipientTable::columnWidth(int column) const {
    if (column < 0 || column >= columnCount())
        return -1;
    return m_width[static_cast<std::size_t>(column)];
}

bool RecipientTable::deleteRows(int row, int count) {
    if (row < 1 || row >= m_rowCount || count <= 0)
        return false;
    ++m_revision;
    const auto first = static_cast<std::size_t>(row - 1);
    const std::size_t last = std::min(m_rows.size(), first + static_cast<std::size_t>(count));
    for (std::size_t i = first; i < last; ++i)
        if (m_rows[i] != kEmptyRow)
            m_garbage += blobSize(m_rows[i]);
    m_rows.erase(first, last);
    m_rowCount -= static_cast<int>(last - first);
    const int gone = static_cast<int>(last - first);
    std::erase_if(m_replacedRows, [&](int r) { return r >= row && r < row + gone; });
    for (int& r : m_replacedRows)
        if (r >= row + gone)
            r -= gone;
    compactIfWasteful();
    return true;
}

} // namespace qb
