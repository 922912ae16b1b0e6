#pragma once

#include "import/RecipientTable.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The rows a preview left out, with their reasons: "중복" (a later copy of a number
// kept in an earlier row), "수신거부", "번호형식오류" and "범위밖" (kept, but outside
// the send range). Held as bits per row, so ten million rows cost a few megabytes,
// and written as CSV when asked ("제외된 행 저장", qbsend --excluded).
namespace qb {

struct ExcludedRows {
    // A bit per data row position (row r at r - 1), as the row choice left them.
    std::vector<std::uint64_t> kept, duplicate, rejected;
    std::size_t rows = 0;
    // The kept rows [queuedFrom, queuedTo) in table order went to the queue.
    std::size_t queuedFrom = 0, queuedTo = 0;
    int numberColumn = 0;
    // The loaded table they refer to (RecipientTable::generation).
    std::uint64_t tableGeneration = 0;
};

// A UTF-8 byte-order mark, "행,수신번호,사유" and one line per left-out row in table
// order: its row as column 0 labels it, its number as loaded (UTF-8), its reason.
// Fields are quoted where they need it; lines end in CR LF.
std::string excludedRowsCsv(const ExcludedRows& excluded, const RecipientTable& table);

} // namespace qb
