#include "send/SmsOverflow.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "common/PhoneNumber.h"

namespace qb {

SmsOverflow findSmsOverflow(const SendFormState& s) {
    SmsOverflow found;
    const RecipientTable& t = s.table;
    const int numberColumn = s.numberColumn.selected;
    if (numberColumn <= 0)
        return found;
    std::array<int, 4> columns{};
    for (std::size_t k = 0; k < 4; ++k) {
        columns[k] = s.mergeOn[k] ? s.mergeColumn[k].selected : -1;
        if (s.mergeOn[k] && columns[k] <= 0)
            return found;
    }
    MessageComposer composer(MessageKind::Sms, s.smsText, {}, s.mergeOn);
    SendRecord record;
    std::array<std::string_view, 4> values;
    PhoneDigits digits;
    for (int r = 1; r < t.rowCount(); ++r) {
        if (!phoneDigits(t.text(r, numberColumn), digits))
            continue;
        for (std::size_t k = 0; k < 4; ++k)
            values[k] = columns[k] > 0 ? t.text(r, columns[k]) : std::string_view();
        if (!composer.compose(values, record))
            continue;
        if (++found.count <= static_cast<long long>(SmsOverflow::kListed))
            found.rows.emplace_back(bytes::trim(t.text(r, 0)));
    }
    return found;
}

std::string smsOverflowQuestion(const SmsOverflow& o) {
    std::string rows;
    for (const std::string& r : o.rows)
        rows += (rows.empty() ? "" : ", ") + r;
    if (o.count > static_cast<long long>(o.rows.size()))
        rows += ko(" 외");
    return ko("[SMS] 90바이트를 넘는 메세지 [") + std::to_string(o.count) + ko("] 건 (행 ") + rows +
           ko(")\nLMS로 전송하시겠습니까?");
}

const std::string& smsBoxOverflowQuestion() {
    static const std::string q = ko("[SMS] 90바이트를 넘었습니다. LMS로 전환하시겠습니까?");
    return q;
}

} // namespace qb
