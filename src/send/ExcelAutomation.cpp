#include "send/ExcelAutomation.h"

#include "common/Cp949.h"
#include "send/FileBytes.h"
#include "send/WorkbookReader.h"

#include <algorithm>
#include <cstring>

namespace qb {
namespace {

bool startsWith(std::string_view bytes, std::string_view magic) {
    return bytes.size() >= magic.size() && bytes.substr(0, magic.size()) == magic;
}

const std::string_view kZipMagic("PK\x03\x04", 4);
const std::string_view kCompoundMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// Collects a sheet's cells and frames them by the used range: the rows and columns
// from the first to the last cell holding a value, wherever on the sheet that starts.
bool collectRange(WorkbookReader& reader, int index, UsedRange& range) {
    range = UsedRange{};
    std::vector<UsedRange::Cell> cells;
    const bool ok = reader.readSheet(index, [&](int row, int column, std::string&& text) {
        cells.push_back({row, column, cp949::fromUtf8(text).text});
    });
    if (!ok)
        return false;
    if (cells.empty()) {
        // An empty sheet's used range is its first cell.
        range.rows = range.columns = 1;
        return true;
    }
    int minRow = cells[0].row, maxRow = minRow, minCol = cells[0].column, maxCol = minCol;
    for (const auto& c : cells) {
        minRow = std::min(minRow, c.row);
        maxRow = std::max(maxRow, c.row);
        minCol = std::min(minCol, c.column);
        maxCol = std::max(maxCol, c.column);
    }
    for (auto& c : cells) {
        c.row -= minRow - 1;
        c.column -= minCol - 1;
    }
    std::stable_sort(cells.begin(), cells.end(), [](const auto& a, const auto& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    // A cell written twice keeps its last value.
    std::vector<UsedRange::Cell> unique;
    unique.reserve(cells.size());
    for (auto& c : cells) {
        if (!unique.empty() && unique.back().row == c.row && unique.back().column == c.column)
            unique.back() = std::move(c);
        else
            unique.push_back(std::move(c));
    }
    range.rows = maxRow - minRow + 1;
    range.columns = maxCol - minCol + 1;
    range.cells = std::move(unique);
    return true;
}

} // namespace

std::string_view UsedRange::value(int row, int column) const {
    const auto it = std::lower_bound(
        cells.begin(), cells.end(), std::pair{row, column}, [](const Cell& c, const auto& key) {
            return c.row != key.first ? c.row < key.first : c.column < key.second;
        });
    if (it == cells.end() || it->row != row || it->column != column)
        return {};
    return it->text;
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
    for (const std::string& name : m_reader->sheetNames())
        m_names.push_back(cp949::fromUtf8(name).text);
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

} // namespace qb
