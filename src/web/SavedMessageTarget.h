#pragma once

#include <array>
#include <string>

namespace qb {

// A message handed to an editor by "선택".
struct SelectedMessage {
    std::string title;
    std::string body;
    std::array<std::string, 3> pictures; // paths, by slot; empty: no picture
};

// Implemented by the editors a message box fills: the send form for SMS, the
// LMS editor and the MMS composition.
class SavedMessageTarget {
public:
    virtual ~SavedMessageTarget() = default;
    // SMS: the body replaces the message text. LMS: title and body, both flags set.
    // MMS: title, body and title flag; the pictures replace all three slots.
    virtual void takeSavedMessage(const SelectedMessage& message) = 0;
};

} // namespace qb
