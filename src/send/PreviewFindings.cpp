#include "send/PreviewFindings.h"

#include "common/Bytes.h"
#include "common/Cp949.h"

namespace qb {

void RowList::append(const RowList& later) {
    for (const int r : later.rows)
        if (rows.size() < kListed)
            rows.push_back(r);
    count += later.count;
}

std::string rowLabel(const RecipientTable& table, int row) {
    const std::string_view label = bytes::trim(table.text(row, 0));
    return label.empty() ? std::to_string(row) : std::string(label);
}

namespace {

std::string line(const char* utf8Start, const RowList& list, const RecipientTable& table) {
    std::string rows;
    for (const int r : list.rows)
        rows += (rows.empty() ? "" : ", ") + rowLabel(table, r);
    if (list.count > static_cast<long long>(list.rows.size()))
        rows += ko(" 외");
    return ko(utf8Start) + std::to_string(list.count) + ko("] 건 있습니다. (행 ") + rows + ")";
}

} // namespace

std::string findingsText(const PreviewFindings& f, const RecipientTable& table) {
    std::string text;
    if (f.emptyMerge.count > 0)
        text = line("메시지 조합 값이 비어 있는 행이 [", f.emptyMerge, table);
    if (f.unmappable.count > 0)
        text += (text.empty() ? "" : "\n") +
                line("CP949로 바꿀 수 없어 '?'로 바뀐 글자가 들어간 행이 [", f.unmappable, table);
    return text;
}

std::string findingsQuestion(const PreviewFindings& f, const RecipientTable& table) {
    return findingsText(f, table) + ko("\n계속하시겠습니까?");
}

} // namespace qb
