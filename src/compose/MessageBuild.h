#pragma once

#include "common/SendTypes.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// Message kinds, byte limits, the SMS box counter and the merge-field substitution.
namespace qb {

inline constexpr std::size_t kSmsBodyLimit = 90;
inline constexpr std::size_t kLongBodyLimit = 2000;
inline constexpr std::size_t kTitleLimit = 64;

using MergeSwitches = std::array<bool, 4>;

// Byte length minus the number of CR LF pairs: a line break counts one byte.
std::size_t countedLength(std::string_view text);

// The longest start of `text` whose counted length is at most `limit`. It never
// ends inside a two-byte character or between the CR and LF of a line break.
struct CountedCut {
    std::size_t bytes = 0;   // length of the start that stays
    std::size_t counted = 0; // its counted length
};
CountedCut cutToCounted(std::string_view text, std::size_t limit);

// The SMS box after an edit: the text it must hold (cut back when over 90 counted
// bytes) and the counter line. The cut never leaves half a two-byte character or a
// CR without its LF.
struct SmsBoxText {
    std::string text;
    std::string counter; // "%d / 90 byte"
    bool cut = false;
};
SmsBoxText smsBoxEdited(std::string_view text);
std::string smsCounterText(std::size_t counted);

// "<@1@>".."<@4@>"
std::string_view mergeToken(int k);

struct ComposedMessage {
    bool ok = true;
    std::string failure; // the limit's message (CP949) when !ok
    std::string body;    // CR LF -> LF
    std::string title;
    std::string displayBody; // CR LF -> two spaces
};

ComposedMessage composeMessage(const RecipientEntry& entry, MessageKind kind, std::string_view bodyTemplate,
                               std::string_view titleTemplate, const MergeSwitches& mergeOn);

// The same substitution for a whole job, with the templates checked once and the
// record's strings reused between recipients.
class MessageComposer {
public:
    MessageComposer(MessageKind kind, std::string bodyTemplate, std::string titleTemplate,
                    const MergeSwitches& mergeOn);

    // Fills body, title and displayBody of `out`. Returns the limit's message when
    // one is exceeded, otherwise nullptr.
    const std::string* compose(const std::array<std::string_view, 4>& mergeValues, SendRecord& out);

private:
    void substitute(std::string_view source, const std::array<std::string_view, 4>& values, std::string& out);

    MessageKind m_kind;
    std::string m_body;
    std::string m_title;
    MergeSwitches m_on;
    bool m_anyOn = false;
    std::string m_scratchA, m_scratchB, m_substituted;
};

} // namespace qb
