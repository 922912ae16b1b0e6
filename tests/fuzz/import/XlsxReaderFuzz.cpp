// An .xlsx file: the zip container, workbook, relationships, styles, shared strings
// and every sheet's used range.
#include "import/ExcelAutomation.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

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
    }
    return 0;
}
