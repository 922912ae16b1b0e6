#include "support/RecordingNotifier.h"

#include "common/Cp949.h"

namespace qb::test {

std::string Shown::utf8() const {
    return cp949::toUtf8(text);
}

void RecordingNotifier::show(const std::string& text, MessageIcon icon, const std::string& caption) {
    m_shown.push_back({text, icon, caption, false});
}

bool RecordingNotifier::ask(const std::string& text, MessageIcon icon, const std::string& caption) {
    m_shown.push_back({text, icon, caption, true});
    if (m_answers.empty())
        return false;
    const bool yes = m_answers.front();
    m_answers.pop_front();
    return yes;
}

std::vector<std::string> RecordingNotifier::texts() const {
    std::vector<std::string> out;
    for (const Shown& s : m_shown)
        out.push_back(s.utf8());
    return out;
}

Shown errorBox(const char* utf8Text) {
    return {ko(utf8Text), MessageIcon::Error, defaultCaption(), false};
}
Shown plainBox(const char* utf8Text) {
    return {ko(utf8Text), MessageIcon::None, defaultCaption(), false};
}

} // namespace qb::test
