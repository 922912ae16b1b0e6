#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Our reader of BIFF8 workbooks (the .xls files of Excel 97 and later): the
// records of the compound file's "Workbook" stream, read directly.
namespace qb {

// Calls sink(row, column, UTF-8 text) from 0 for the formula results and the
// boolean or error constants of sheet `index` (from 0, in the order of the
// workbook's sheet list): the last step of readBiffWorkbook. False when the file
// is not a BIFF8 workbook this can read; cells already given stay given.
bool readBiffExtraCells(std::string_view file, int index,
                        const std::function<void(int row, int column, std::string text)>& sink);

// A whole BIFF8 workbook: the sheet
// names (UTF-8, every sheet of the workbook's list) and, when `index` >= 0, the cells
// of that sheet as sink(row, column, UTF-8 text): strings, numbers, dates, booleans,
// errors and formula results. False when the file is not a readable BIFF8 workbook
// (an encrypted one included).
bool readBiffWorkbook(std::string_view file, std::vector<std::string>& sheetNames, int index,
                      const std::function<void(int row, int column, std::string text)>& sink);

} // namespace qb
