#pragma once

#include <functional>
#include <string>
#include <utility>

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

// Runs `before` ahead of every message, then passes it on: a window shows its
// model's state first, so what sits behind the box is what the message is about.
class RefreshingNotifier final : public Notifier {
public:
    RefreshingNotifier(std::function<void()> before, Notifier& target)
        : m_before(std::move(before)), m_target(target) {}

    void show(const std::string& text, MessageIcon icon, const std::string& caption) override {
        m_before();
        m_target.show(text, icon, caption);
    }
    bool ask(const std::string& text, MessageIcon icon, const std::string& caption) override {
        m_before();
        return m_target.ask(text, icon, caption);
    }

private:
    std::function<void()> m_before;
    Notifier& m_target;
};

} // namespace qb
