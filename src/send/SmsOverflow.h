#pragma once

#include "send/SendFormState.h"

#include <string>
#include <vector>

// Rows whose merged SMS passes 90 bytes. Rather than stopping the preview at the
// first, the user is told how many and which, and may send the job as LMS.
namespace qb {

struct SmsOverflow {
    static constexpr std::size_t kListed = 10;
    long long count = 0;
    std::vector<std::string> rows; // the first kListed, as column 0 shows them
};

// Over the rows with a number; nothing when the merge columns are not all chosen
// (validation refuses that first).
SmsOverflow findSmsOverflow(const SendFormState& state);

// "[SMS] 90바이트를 넘는 메세지 [%d] 건 (행 3, 7 …)\nLMS로 전송하시겠습니까?"
std::string smsOverflowQuestion(const SmsOverflow& overflow);

// The SMS box passed 90 bytes: "[SMS] 90바이트를 넘었습니다. LMS로 전환하시겠습니까?"
const std::string& smsBoxOverflowQuestion();

} // namespace qb
