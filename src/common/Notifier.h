#pragma once

#include <string>

// The one way core code tells the user something. Texts and captions are CP949.
// The client shows message boxes, tests record, qbsend prints.
namespace qb {

enum class MessageIcon { None, Error };

// "알림", the caption of nearly every message.
const std::string& defaultCaption();

class Notifier {
public:
    virtual ~Notifier() = default;

    virtual void show(const std::string& text, MessageIcon icon, const std::string& caption) = 0;
    // A Yes/No question; true for Yes.
    virtual bool ask(const std::string& text, MessageIcon icon, const std::string& caption) = 0;

    void error(const std::string& text) { show(text, MessageIcon::Error, defaultCaption()); }
    void info(const std::string& text) { show(text, MessageIcon::None, defaultCaption()); }
    bool askYesNo(const std::string& text, MessageIcon icon) { return ask(text, icon, defaultCaption()); }
};

} // namespace qb
