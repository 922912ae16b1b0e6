// An .xlsx file: the zip container, workbook, relationships, styles, shared strings
// and every sheet's used range, read whole and row by row, which must agree.
#include "import/ExcelAutomation.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

namespace {

class SameRows final : public qb::RangeRowTarget {
public:
    explicit SameRows(const qb::UsedRange& range) : m_range(range) {}
    void begin(int rows, int columns, std::size_t) override {
        if (rows != m_range.rows || columns != m_range.columns)
            std::abort();
    }
    void row(int row, std::span<std::string_view> cells) override {
        if (row != ++m_rows || !cells[0].empty() ||
            cells.size() > static_cast<std::size_t>(m_range.columns) + 1)
            std::abort();
        for (int c = 1; c <= m_range.columns; ++c)
            if (m_range.value(row, c) !=
                (static_cast<std::size_t>(c) < cells.size() ? cells[c] : std::string_view()))
                std::abort();
    }
    int rows() const { return m_rows; }

private:
    const qb::UsedRange& m_range;
    int m_rows = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> names;
    if (!qb::readXlsxBytes(bytes, names, 0, nullptr))
        return 0;
    for (int sheet = 0; sheet < static_cast<int>(names.size()) && sheet < 8; ++sheet) {
        qb::UsedRange range;
        if (!qb::readXlsxBytes(bytes, names, sheet, &range))
            continue;
        for (const auto& cell : range.cells)
            if (cell.row < 1 || cell.row > range.rows || cell.column < 1 || cell.column > range.columns)
                std::abort();
        SameRows same(range);
        if (!qb::readXlsxRows(bytes, sheet, same) || same.rows() != range.rows)
            std::abort();
    }
    return 0;
}
