// Bytes that come from files and the user: reject-table values (RAZIDODU.ini), the
// SMS box, merge substitution, the preview's number grouping, recipient numbers
// by their digits and the balance reply's amounts.
#include "common/PhoneNumber.h"
#include "compose/MessageBuild.h"
#include "send/JobCost.h"
#include "send/RejectList.h"
#include "send/SendForm.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const qb::RejectEntry e = qb::parseRejectValue(text);
    if (!e.emptySlot && (e.name.empty() || e.path.empty()))
        std::abort();

    const qb::SmsBoxText box = qb::smsBoxEdited(text);
    if (qb::countedLength(box.text) > qb::kSmsBodyLimit || text.compare(0, box.text.size(), box.text) != 0)
        std::abort();

    qb::RecipientEntry entry;
    entry.merge = {text.substr(0, size / 2), text.substr(size / 2), "<@3@>", ""};
    const qb::ComposedMessage m = qb::composeMessage(entry, qb::MessageKind::Lms, text, text.substr(0, 70),
                                                     qb::MergeSwitches{true, true, true, false});
    if (m.ok && (m.body.size() > qb::kLongBodyLimit || m.title.size() > qb::kTitleLimit))
        std::abort();
    if (qb::SendForm::previewNumber(text).size() > size + 2)
        std::abort();
    qb::PhoneDigits digits;
    if (qb::phoneDigits(text, digits)) {
        if (digits.size < qb::PhoneDigits::kMin || digits.size > qb::PhoneDigits::kMax)
            std::abort();
        for (const char c : digits.view())
            if (c < '0' || c > '9')
                std::abort();
        // A correction always gives the domestic form.
        if (digits.corrected && digits.digits[0] != '0')
            std::abort();
    }
    qb::BalanceLine line;
    line.balance = text.substr(0, size / 2);
    line.unitPrices = {text.substr(size / 2), "", ""};
    const qb::JobCost cost = qb::jobCost(qb::MessageKind::Sms, 3, line);
    if (qb::costLine(cost).empty())
        std::abort();
    return 0;
}
