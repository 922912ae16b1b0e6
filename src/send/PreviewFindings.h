#pragma once

#include "import/RecipientTable.h"

#include <cstddef>
#include <string>
#include <vector>

// What the preview found in the rows it queued that the user should see before
// going on: a merge value the message uses that is empty, and a '?' that a load
// wrote for a character CP949 cannot hold standing in a merge value the message
// uses. Named by row, the first ten of each and the count.
namespace qb {

struct RowList {
    static constexpr std::size_t kListed = 10;
    long long count = 0;
    std::vector<int> rows; // the first kListed data rows (from 1)

    void add(int row) {
        if (++count <= static_cast<long long>(kListed))
            rows.push_back(row);
    }
    // `later`'s rows after these.
    void append(const RowList& later);
};

struct PreviewFindings {
    RowList emptyMerge;
    RowList unmappable;

    bool any() const { return emptyMerge.count > 0 || unmappable.count > 0; }
    void clear() { *this = PreviewFindings{}; }
};

// One line per finding, rows as column 0 of `table` labels them:
// "메시지 조합 값이 비어 있는 행이 [2] 건 있습니다. (행 7, 9)" and
// "CP949로 바꿀 수 없어 '?'로 바뀐 글자가 들어간 행이 [1] 건 있습니다. (행 3)",
// " 외" after the tenth row when there are more.
std::string findingsText(const PreviewFindings& findings, const RecipientTable& table);

// The findings and "계속하시겠습니까?".
std::string findingsQuestion(const PreviewFindings& findings, const RecipientTable& table);

// How a table row is named: its label in column 0, or its position when it has none.
std::string rowLabel(const RecipientTable& table, int row);

} // namespace qb
