#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace qb {

// Where a workbook reader hands a sheet's used range row by row, for a load that
// puts it straight into a table: the send form's recipients, the address import.
class RangeRowTarget {
public:
    virtual ~RangeRowTarget() = default;
    // Before the first row: the range's size and the bytes of its cells' texts.
    virtual void begin(int rows, int columns, std::size_t textBytes) = 0;
    // Every row of the range in order, from 1. cells[j] is column j's text (empty:
    // none), up to the row's last value; cells[0] is empty, left for the caller's
    // use (a row label). Valid during the call.
    virtual void row(int row, std::span<std::string_view> cells) = 0;
};

} // namespace qb
