#pragma once

#include <string>
#include <vector>

// Small .xlsx workbooks for tests and benchmarks, written with libzip: the parts
// a spreadsheet program writes, with the sheets' cells given as XML.
namespace qb::test {

struct XlsxSheet {
    std::string name;      // escaped here
    std::string sheetData; // the children of <sheetData>, as written
};

// Writes the workbook to `path` and returns the path. `sharedStrings` are the
// texts of <sst> in order (escaped here).
std::string writeXlsx(const std::string& path, const std::vector<XlsxSheet>& sheets,
                      const std::vector<std::string>& sharedStrings = {});

// A workbook of one sheet, "S", whose part is `sheetPart` byte for byte.
std::string writeXlsxSheetPart(const std::string& path, const std::string& sheetPart);

// Text as XML character data.
std::string xmlEscape(const std::string& text);

} // namespace qb::test
