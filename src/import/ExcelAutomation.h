#pragma once

#include "import/RangeRowTarget.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Reads a workbook the way the import needs it: the sheet names, and the used range
// of one sheet with every value as its display text. .xlsx files are read with
// libzip, pugixml and expat, .xls files with libfreexl; the kind is told by the file's
// first bytes, not its name. All texts come out as CP949.
namespace qb {

struct UsedRange {
    // 16 bytes: a full sheet has millions.
    struct Cell {
        Cell() = default;
        Cell(int r, int c, std::size_t textLength, std::uint64_t textOffset)
            : row(r), column(static_cast<std::uint16_t>(c)),
              offsetHigh(static_cast<std::uint16_t>(textOffset >> 32)),
              length(static_cast<std::uint32_t>(textLength)),
              offsetLow(static_cast<std::uint32_t>(textOffset)) {}

        int row = 0;              // 1-based within the range
        std::uint16_t column = 0; // likewise; a sheet has at most 16,384 columns
        std::uint16_t offsetHigh = 0;
        std::uint32_t length = 0;
        std::uint32_t offsetLow = 0; // with offsetHigh: where the text starts in `texts`

        std::uint64_t offset() const { return std::uint64_t{offsetHigh} << 32 | offsetLow; }
    };
    int rows = 0;
    int columns = 0;
    std::vector<Cell> cells; // non-empty values, by row then column
    std::string texts;       // the cells' texts, one after the other

    std::string_view text(const Cell& cell) const {
        return std::string_view(texts).substr(static_cast<std::size_t>(cell.offset()), cell.length);
    }
    // Cell [row, column] from 1; empty text for an empty cell.
    std::string_view value(int row, int column) const;
};

class WorkbookReader;

class ExcelAutomation {
public:
    ExcelAutomation();
    ~ExcelAutomation();
    ExcelAutomation(const ExcelAutomation&) = delete;
    ExcelAutomation& operator=(const ExcelAutomation&) = delete;

    // 0 when the workbook is open; negative when it is missing, corrupt, encrypted
    // or of another kind.
    int open(const std::string& path);
    int sheetCount() const;
    std::string sheetName(int index) const; // index from 1
    // False when the sheet cannot be read; `range` is then empty.
    bool usedRange(int index, UsedRange& range);
    // The same range given row by row; a workbook whose cells come in order is not
    // held whole on the way. False when the sheet cannot be read: nothing was given,
    // or, if the reader failed after the first row, the rows given are to be dropped.
    bool readRange(int index, RangeRowTarget& rows);
    void quit();

private:
    std::unique_ptr<WorkbookReader> m_reader;
    std::vector<std::string> m_names;
};

// The readers behind open(), for the fuzz targets and tests.
bool readXlsxBytes(std::string_view bytes, std::vector<std::string>& sheetNames, int sheet, UsedRange* range);
bool readXlsxRows(std::string_view bytes, int sheet, RangeRowTarget& rows);

} // namespace qb
