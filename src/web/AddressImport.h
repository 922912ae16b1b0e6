#pragma once

#include "common/Notifier.h"
#include "common/Progress.h"
#include "web/AddressBook.h"
#include "web/AddressImportHost.h"

#include <string>
#include <string_view>
#include <vector>

// "파일등록(xls,txt)" of the address book's register dialog: entries from a text
// file or a workbook, registered into the current group. It lives beside the
// send form's imports because it reads files with them; the window's rules
// stay in AddressBookModel below.
namespace qb {

class AddressBookModel;

enum class AddressFileKind { Text, Workbook, Unsupported };
// By the file name's extension, compared exactly: "txt", "xls" or "xlsx".
AddressFileKind addressFileKind(std::string_view path);

class ImportLines;

// The rows of a text file's lines: each line (at most 1023 bytes) is split at
// commas, runs of commas counting as one; a line of exactly three values is a
// row (name, phone, memo), other lines are skipped, and so are rows holding NUL,
// 0x02 or 0x04 or whose phone is no number. Empty lines are no rows and no skips; the others are counted in
// `skips`.
void addressRowsFromLines(const ImportLines& lines, std::vector<AddressRow>& rows, Progress& progress,
                          AddressSkips* skips = nullptr);

// The rows of a text file, as above. False after "화일경로가 존재하지 않습니다."
// when the file cannot be opened.
bool readAddressText(const std::string& path, std::vector<AddressRow>& rows, Notifier& notifier,
                     Progress& progress, AddressSkips* skips = nullptr);

// A workbook's rows: the chosen sheet's used range, columns 1 to 3 as name, phone
// and memo (a wider sheet gives its first three columns), rows without a phone,
// holding NUL, 0x02 or 0x04 or whose phone is no number skipped and counted. False after its message when
// the workbook cannot be opened, no sheet was chosen or the sheet has fewer than
// three columns.
bool readAddressWorkbook(const std::string& path, AddressImportHost& host, std::vector<AddressRow>& rows,
                         Notifier& notifier, Progress& progress, AddressSkips* skips = nullptr);

// The whole button: login gate, file, rows, registration and its message. True
// when the register dialog closes (the rows were registered, or nobody is
// logged in).
bool importAddressFile(AddressBookModel& model, AddressImportHost& host, Progress& progress);

} // namespace qb
