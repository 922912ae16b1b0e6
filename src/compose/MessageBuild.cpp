#include "compose/MessageBuild.h"

#include "common/Bytes.h"
#include "common/Cp949.h"

#include <cstring>

namespace qb {
namespace {

std::size_t crlfPairs(std::string_view text) {
    std::size_t n = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '\r' && text[i + 1] == '\n')
            ++n;
    return n;
}

const std::string& limitMessage(MessageKind kind, bool title) {
    static const std::string sms = ko("[SMS] 내용이 90바이트 이상입니다.!");
    static const std::string lmsTitle = ko("[LMS] 제목이 64바이트 이상입니다.!");
    static const std::string mmsTitle = ko("[MMS] 제목이 64바이트 이상입니다.!");
    static const std::string lmsBody = ko("[LMS] 내용이 2000바이트 이상입니다.!");
    static const std::string mmsBody = ko("[MMS] 내용이 2000바이트 이상입니다.!");
    switch (kind) {
    case MessageKind::Sms:
        return sms;
    case MessageKind::Lms:
        return title ? lmsTitle : lmsBody;
    case MessageKind::Mms:
        break;
    }
    return title ? mmsTitle : mmsBody;
}

} // namespace

std::size_t countedLength(std::string_view text) {
    return text.size() - crlfPairs(text);
}

std::string smsCounterText(std::size_t counted) {
    return std::to_string(counted) + " / 90 byte";
}

CountedCut cutToCounted(std::string_view text, std::size_t limit) {
    CountedCut cut;
    cut.counted = countedLength(text);
    if (cut.counted <= limit) {
        cut.bytes = text.size();
        return cut;
    }
    // Walk characters until one more would pass the limit.
    std::size_t i = 0, counted = 0;
    while (i < text.size()) {
        std::size_t step = 1, weight = 1;
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            step = 2; // counts one
        else if (cp949::isLeadByte(c) && i + 1 < text.size())
            step = weight = 2;
        if (counted + weight > limit)
            break;
        counted += weight;
        i += step;
    }
    cut.bytes = i;
    cut.counted = counted;
    return cut;
}

SmsBoxText smsBoxEdited(std::string_view text) {
    SmsBoxText result;
    const CountedCut cut = cutToCounted(text, kSmsBodyLimit);
    result.text = std::string(text.substr(0, cut.bytes));
    result.counter = smsCounterText(cut.counted);
    result.cut = cut.bytes < text.size();
    return result;
}

std::string_view mergeToken(int k) {
    static constexpr std::string_view tokens[] = {"<@1@>", "<@2@>", "<@3@>", "<@4@>"};
    return tokens[k - 1];
}

MessageComposer::MessageComposer(MessageKind kind, std::string bodyTemplate, std::string titleTemplate,
                                 const MergeSwitches& mergeOn)
    : m_kind(kind), m_body(std::move(bodyTemplate)), m_title(std::move(titleTemplate)), m_on(mergeOn) {
    if (m_kind == MessageKind::Sms)
        m_title.clear();
    for (bool on : m_on)
        m_anyOn = m_anyOn || on;
}

void MessageComposer::substitute(std::string_view source, const std::array<std::string_view, 4>& values,
                                 std::string& out) {
    // Field by field over the whole text, so a value holding a later token is
    // replaced again; the text moves between two buffers.
    std::string_view current = source;
    bool inA = false;
    for (int k = 0; k < 4 && m_anyOn; ++k) {
        if (!m_on[static_cast<std::size_t>(k)])
            continue;
        if (current.find(mergeToken(k + 1)) == std::string_view::npos)
            continue;
        std::string& target = inA ? m_scratchB : m_scratchA;
        bytes::replaceInto(target, current, mergeToken(k + 1), values[static_cast<std::size_t>(k)]);
        current = target;
        inA = !inA;
    }
    out.assign(current);
}

const std::string* MessageComposer::compose(const std::array<std::string_view, 4>& values, SendRecord& out) {
    if (m_kind != MessageKind::Sms) {
        substitute(m_title, values, out.title);
        if (out.title.size() > kTitleLimit)
            return &limitMessage(m_kind, true);
    } else {
        out.title.clear();
    }
    substitute(m_body, values, out.body);
    if (out.body.find('\r') == std::string::npos) {
        out.displayBody.assign(out.body);
    } else {
        m_substituted.swap(out.body);
        bytes::replaceInto(out.body, m_substituted, "\r\n", "\n");
        bytes::replaceInto(out.displayBody, m_substituted, "\r\n", "  ");
    }
    const std::size_t limit = m_kind == MessageKind::Sms ? kSmsBodyLimit : kLongBodyLimit;
    if (out.body.size() > limit)
        return &limitMessage(m_kind, false);
    return nullptr;
}

ComposedMessage composeMessage(const RecipientEntry& entry, MessageKind kind, std::string_view bodyTemplate,
                               std::string_view titleTemplate, const MergeSwitches& mergeOn) {
    MessageComposer composer(kind, std::string(bodyTemplate), std::string(titleTemplate), mergeOn);
    SendRecord record;
    const std::array<std::string_view, 4> values{entry.merge[0], entry.merge[1], entry.merge[2],
                                                 entry.merge[3]};
    ComposedMessage result;
    if (const std::string* failure = composer.compose(values, record)) {
        result.ok = false;
        result.failure = *failure;
        return result;
    }
    result.body = std::move(record.body);
    result.title = std::move(record.title);
    result.displayBody = std::move(record.displayBody);
    return result;
}

} // namespace qb
