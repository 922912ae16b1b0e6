#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One workbook format. Names and cell texts are UTF-8; ExcelAutomation converts.
namespace qb {

class WorkbookReader {
public:
    // row and column from 0 on the sheet; text never empty.
    using CellSink = std::function<void(int row, int column, std::string&& text)>;

    virtual ~WorkbookReader() = default;
    virtual const std::vector<std::string>& sheetNames() const = 0;
    // False when the sheet's data cannot be read.
    virtual bool readSheet(int index, const CellSink& sink) = 0;
};

// nullptr when the bytes are not a readable workbook of that kind.
std::unique_ptr<WorkbookReader> openXlsx(std::string bytes);
std::unique_ptr<WorkbookReader> openXls(const std::string& path);

// Excel's own limits; cells beyond them are ignored.
inline constexpr int kMaxSheetRows = 1048576;
inline constexpr int kMaxSheetColumns = 16384;

} // namespace qb
