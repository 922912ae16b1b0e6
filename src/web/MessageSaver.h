#pragma once

#include "common/SendTypes.h"

#include <string>
#include <string_view>

namespace qb {

class WebClient;

// What an editor hands over to be saved. The title counts only when the user has
// entered it; the body only when entered (the SMS box has no flags: pass true).
struct MessageDraft {
    std::string title;
    bool titleEntered = false;
    std::string body;
    bool bodyEntered = false;
    PictureSlots pictures; // MMS only
};

// Saving a composed message to its store on the service. Each returns true when
// the service took it, after telling the user either way.
class MessageSaver {
public:
    explicit MessageSaver(WebClient& web) : m_web(web) {}

    bool saveSms(std::string_view text);
    bool saveLms(const MessageDraft& draft);
    // The filled picture slots go out in slot order as img1, img2, ... so a slot
    // left empty between two pictures does not break the save.
    bool saveMms(const MessageDraft& draft);

private:
    WebClient& m_web;
};

} // namespace qb
