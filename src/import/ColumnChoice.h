#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Which loaded column holds the recipient numbers, and whether the first row is a
// header row, judged from the first rows of a load (never the whole of it: ten
// million rows load no slower for it).
//
// A cell holds a valid number when the validation would take it (phoneDigits). A
// column "holds mostly numbers" when at least half of the sampled data rows (the
// first 1,000 after the first row, and the first row too when it is data) hold a
// valid number in it. The number column is that column when exactly one holds
// mostly numbers; else the one of them whose header names a number (전화, 휴대폰,
// 핸드폰, 연락처, 번호, phone, mobile); else, with no column of mostly numbers, the
// one column the header names; otherwise none, and the user chooses.
//
// The first row is offered as a header row when more than half of its non-empty
// cells hold text (a letter or a Hangul syllable, and no valid number) and the
// number column found from the rows after it (or every column of mostly numbers,
// when no one column is found) holds no valid number in the first row.
namespace qb {

struct ColumnSample {
    static constexpr std::size_t kRows = 1001; // the first row and 1,000 after it

    // rows[i][c] is column c + 1 of row i + 1.
    std::vector<std::vector<std::string>> rows;

    bool full() const { return rows.size() >= kRows; }
    // Column 1 first; ignored once full.
    void add(std::span<const std::string_view> cells);
};

bool offerHeaderRow(const ColumnSample& sample);
// The number column from 1; 0 when it cannot be decided. `header`: the first row
// is the header row, read for its names and not counted as data.
int findNumberColumn(const ColumnSample& sample, bool header);
// A header cell that names a column of numbers.
bool namesNumberColumn(std::string_view headerText);

// A header cell as a column's caption: without the spaces around it, at most 30
// bytes (never half a character).
std::string headerName(std::string_view cell);
// "2 열 (이름)"; "2 열" for an empty name.
std::string columnCaption(int column, std::string_view name);
// What a header's choices are kept under: the same names in the same columns give
// the same text (16 hex digits).
std::string headerSignature(const std::vector<std::string>& names);

} // namespace qb
