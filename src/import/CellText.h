#pragma once

#include <string>

// How workbook values become cell texts: the texts a spreadsheet's own
// value-to-text conversion gives, in one fixed format for dates.
namespace qb::celltext {

// As the spreadsheet shows a number in a cell of the general format: 15 significant
// digits without trailing zeros (0.1 + 0.2 is "0.3"), written out in full for
// exponents -4..14 and as "1.5E+20" or "1E-05" beyond.
std::string number(double value);

enum class DateParts { None, Date, Time, DateTime };
// Which parts a number format code shows ("yyyy-mm-dd" -> Date, "h:mm" -> Time);
// quoted text, escaped characters and colour/locale brackets are skipped.
DateParts datePartsOfFormat(const std::string& formatCode);
// Built-in format ids that are dates or times.
DateParts datePartsOfBuiltinFormat(int numFmtId);

// A serial day number as "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS" (a time
// format holding a whole date shows both). Serials outside 0..2958465 (9999-12-31)
// are shown as numbers.
std::string serialDate(double serial, DateParts parts, bool date1904);

} // namespace qb::celltext
