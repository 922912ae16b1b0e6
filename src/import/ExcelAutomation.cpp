#include "import/ExcelAutomation.h"

#include "common/Cp949.h"
#include "import/FileBytes.h"
#include "import/WorkbookReader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace qb {
namespace {

bool startsWith(std::string_view bytes, std::string_view magic) {
    return bytes.size() >= magic.size() && bytes.substr(0, magic.size()) == magic;
}

const std::string_view kZipMagic("PK\x03\x04", 4);
const std::string_view kCompoundMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// Collects a sheet's cells and frames them by the used range: the rows and columns
// from the first to the last cell holding a value, wherever on the sheet that starts.
static_assert(kMaxSheetColumns <= 0xFFFF, "a cell's column is kept in 16 bits");

class RangeSink final : public WorkbookReader::CellSink {
public:
    explicit RangeSink(UsedRange& range) : m_range(range) {}

    void reserve(std::size_t cells, std::size_t textBytes) override {
        m_range.cells.reserve(cells);
        m_range.texts.reserve(textBytes);
    }
    void cell(int row, int column, std::string_view text) override {
        // Readers give cells in sheet order unless the file says otherwise.
        inOrder = inOrder && (row > m_lastRow || (row == m_lastRow && column > m_lastColumn));
        m_lastRow = row;
        m_lastColumn = column;
        minRow = std::min(minRow, row);
        maxRow = std::max(maxRow, row);
        minColumn = std::min(minColumn, column);
        maxColumn = std::max(maxColumn, column);
        m_range.cells.emplace_back(row, column, text.size(), m_range.texts.size());
        m_range.texts.append(text);
    }

    int minRow = kMaxSheetRows, maxRow = -1, minColumn = kMaxSheetColumns, maxColumn = -1;
    bool inOrder = true;

private:
    UsedRange& m_range;
    int m_lastRow = -1, m_lastColumn = -1;
};

// Frames the cells `sink` collected by the used range, once the sheet is read.
bool frameRange(bool read, const RangeSink& sink, UsedRange& range) {
    if (!read) {
        range = UsedRange{};
        return false;
    }
    if (range.cells.empty()) {
        // An empty sheet's used range is its first cell.
        range.rows = range.columns = 1;
        return true;
    }
    const int minRow = sink.minRow, minCol = sink.minColumn;
    for (auto& c : range.cells) {
        c.row -= minRow - 1;
        c.column = static_cast<std::uint16_t>(c.column - (minCol - 1));
    }
    if (!sink.inOrder) {
        std::stable_sort(range.cells.begin(), range.cells.end(), [](const auto& a, const auto& b) {
            return a.row != b.row ? a.row < b.row : a.column < b.column;
        });
        // A cell written twice keeps its last value.
        std::size_t out = 0;
        for (std::size_t i = 0; i < range.cells.size(); ++i) {
            if (out > 0 && range.cells[out - 1].row == range.cells[i].row &&
                range.cells[out - 1].column == range.cells[i].column)
                --out;
            range.cells[out++] = range.cells[i];
        }
        range.cells.resize(out);
    }
    range.rows = sink.maxRow - minRow + 1;
    range.columns = sink.maxColumn - minCol + 1;
    return true;
}

bool collectRange(WorkbookReader& reader, int index, UsedRange& range) {
    range = UsedRange{};
    RangeSink sink(range);
    const bool read = reader.readSheet(index, sink);
    return frameRange(read, sink, range);
}

void giveRows(const UsedRange& range, RangeRowTarget& out) {
    out.begin(range.rows, range.columns, range.texts.size());
    std::vector<std::string_view> cells(static_cast<std::size_t>(range.columns) + 1);
    std::size_t next = 0;
    for (int i = 1; i <= range.rows; ++i) {
        std::size_t used = 1;
        for (; next < range.cells.size() && range.cells[next].row == i; ++next) {
            const UsedRange::Cell& c = range.cells[next];
            std::fill(cells.begin() + static_cast<std::ptrdiff_t>(used), cells.begin() + c.column,
                      std::string_view());
            cells[c.column] = range.text(c);
            used = c.column + 1u;
        }
        cells[0] = {};
        out.row(i, std::span(cells).first(used));
    }
}

// Streams the rows when the reader frames its cells first; collects them into a
// UsedRange otherwise.
class RowsSink final : public WorkbookReader::CellSink {
public:
    RowsSink(RangeRowTarget& out, UsedRange& range) : m_out(out), m_collect(range) {}

    void reserve(std::size_t cells, std::size_t textBytes) override {
        m_cellCount = cells;
        m_textBytes = textBytes;
    }
    void framed(const WorkbookReader::Frame& frame) override {
        m_frame = frame;
        m_streaming = true;
        m_row = frame.firstRow;
        m_cells.assign(static_cast<std::size_t>(frame.lastColumn - frame.firstColumn) + 2, {});
        m_out.begin(frame.lastRow - frame.firstRow + 1, frame.lastColumn - frame.firstColumn + 1,
                    m_textBytes);
    }
    void cell(int row, int column, std::string_view text) override {
        if (!m_streaming) {
            if (m_cellCount > 0 || m_textBytes > 0)
                m_collect.reserve(std::exchange(m_cellCount, 0), std::exchange(m_textBytes, 0));
            m_collect.cell(row, column, text);
            return;
        }
        while (m_row < row)
            giveRow();
        m_used = static_cast<std::size_t>(column - m_frame.firstColumn) + 2;
        m_cells[m_used - 1] = text;
    }
    // The last cell's row, and any after it, while their texts are still there.
    void endOfCells() override {
        while (m_row <= m_frame.lastRow)
            giveRow();
    }

    bool streaming() const { return m_streaming; }
    const RangeSink& collected() const { return m_collect; }

private:
    void giveRow() {
        m_cells[0] = {};
        m_out.row(m_row - m_frame.firstRow + 1, std::span(m_cells).first(m_used));
        std::fill_n(m_cells.begin(), m_used, std::string_view());
        m_used = 1;
        ++m_row;
    }

    RangeRowTarget& m_out;
    RangeSink m_collect;
    std::size_t m_cellCount = 0, m_textBytes = 0;
    bool m_streaming = false;
    WorkbookReader::Frame m_frame;
    int m_row = 0;                         // the sheet row being put together
    std::vector<std::string_view> m_cells; // the row being put together, from column 1
    std::size_t m_used = 1;                // cells up to its last value
};

} // namespace

std::string_view UsedRange::value(int row, int column) const {
    const auto it = std::lower_bound(
        cells.begin(), cells.end(), std::pair{row, column}, [](const Cell& c, const auto& key) {
            return c.row != key.first ? c.row < key.first : c.column < key.second;
        });
    if (it == cells.end() || it->row != row || it->column != column)
        return {};
    return text(*it);
}

ExcelAutomation::ExcelAutomation() = default;
ExcelAutomation::~ExcelAutomation() = default;

int ExcelAutomation::open(const std::string& path) {
    quit();
    std::string bytes;
    if (!readFileBytes(path, bytes))
        return -1;
    if (startsWith(bytes, kZipMagic))
        m_reader = openXlsx(std::move(bytes));
    else if (startsWith(bytes, kCompoundMagic))
        m_reader = openXls(path); // an encrypted .xlsx is such a container too, and fails here
    if (!m_reader)
        return -2;
    m_names = m_reader->sheetNames();
    return 0;
}

int ExcelAutomation::sheetCount() const {
    return static_cast<int>(m_names.size());
}

std::string ExcelAutomation::sheetName(int index) const {
    if (index < 1 || index > sheetCount())
        return {};
    return m_names[static_cast<std::size_t>(index - 1)];
}

bool ExcelAutomation::usedRange(int index, UsedRange& range) {
    range = UsedRange{};
    if (!m_reader || index < 1 || index > sheetCount())
        return false;
    return collectRange(*m_reader, index - 1, range);
}

namespace {

bool readRows(WorkbookReader& reader, int index, RangeRowTarget& rows) {
    UsedRange range;
    RowsSink sink(rows, range);
    const bool read = reader.readSheet(index, sink);
    if (sink.streaming())
        return read;
    if (!frameRange(read, sink.collected(), range))
        return false;
    giveRows(range, rows);
    return true;
}

} // namespace

bool ExcelAutomation::readRange(int index, RangeRowTarget& rows) {
    if (!m_reader || index < 1 || index > sheetCount())
        return false;
    return readRows(*m_reader, index - 1, rows);
}

void ExcelAutomation::quit() {
    m_reader.reset();
    m_names.clear();
}

bool readXlsxBytes(std::string_view bytes, std::vector<std::string>& sheetNames, int sheet,
                   UsedRange* range) {
    auto reader = openXlsx(std::string(bytes));
    if (!reader)
        return false;
    sheetNames = reader->sheetNames();
    if (range)
        return collectRange(*reader, sheet, *range);
    return true;
}

bool readXlsxRows(std::string_view bytes, int sheet, RangeRowTarget& rows) {
    auto reader = openXlsx(std::string(bytes));
    return reader && sheet >= 0 && sheet < static_cast<int>(reader->sheetNames().size()) &&
           readRows(*reader, sheet, rows);
}

} // namespace qb
