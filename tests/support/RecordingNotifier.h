#pragma once

#include "common/Notifier.h"
#include "support/TextLists.h"

#include <deque>
#include <string>
#include <vector>

namespace qb::test {

// What the user would have seen, in order. Texts are kept as CP949; `utf8()`
// gives them back readable for assertions.
struct Shown {
    std::string text;
    MessageIcon icon = MessageIcon::None;
    std::string caption;
    bool question = false;

    std::string utf8() const;
    bool operator==(const Shown&) const = default;
};

class RecordingNotifier : public Notifier {
public:
    void show(const std::string& text, MessageIcon icon, const std::string& caption) override;
    bool ask(const std::string& text, MessageIcon icon, const std::string& caption) override;

    // Answers for the next questions, used once each; unanswered questions get No.
    void answerNext(bool yes) { m_answers.push_back(yes); }

    const std::vector<Shown>& shown() const { return m_shown; }
    // The texts in UTF-8, for compact EXPECT_EQ against a list.
    Strings texts() const;
    void clear() { m_shown.clear(); }

private:
    std::vector<Shown> m_shown;
    std::deque<bool> m_answers;
};

// An error box with the default caption, as the user sees it.
Shown errorBox(const char* utf8Text);
// A box without an icon, default caption.
Shown plainBox(const char* utf8Text);

} // namespace qb::test
