#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One workbook format. Names and cell texts come out as CP949.
namespace qb {

class WorkbookReader {
public:
    // The rows and columns, from 0, from the first to the last cell holding a value.
    struct Frame {
        int firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
    };

    class CellSink {
    public:
        virtual ~CellSink() = default;
        // How many cells and text bytes are coming, when the reader knows it first.
        virtual void reserve(std::size_t /*cells*/, std::size_t /*textBytes*/) {}
        // Told after reserve() and before the first cell when the reader knows the
        // cells come in sheet order, each once, and their texts stay valid until
        // endOfCells(), told after the last one; readSheet() then returns true.
        virtual void framed(const Frame& /*frame*/) {}
        virtual void endOfCells() {}
        // row and column from 0 on the sheet; text never empty, valid during the call.
        virtual void cell(int row, int column, std::string_view text) = 0;
    };

    virtual ~WorkbookReader() = default;
    virtual const std::vector<std::string>& sheetNames() const = 0;
    // False when the sheet's data cannot be read.
    virtual bool readSheet(int index, CellSink& sink) = 0;
};

// nullptr when the bytes are not a readable workbook of that kind.
std::unique_ptr<WorkbookReader> openXlsx(std::string bytes);
// How many .xlsx parts the quick reader gave up on and expat read again, in this
// process: a sheet a spreadsheet program wrote should never add to it.
std::size_t xlsxPartsReadAgain();
std::unique_ptr<WorkbookReader> openXls(const std::string& path);

// Excel's own limits; cells beyond them are ignored.
inline constexpr int kMaxSheetRows = 1048576;
inline constexpr int kMaxSheetColumns = 16384;

} // namespace qb
