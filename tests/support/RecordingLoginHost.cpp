#include "support/RecordingLoginHost.h"

#include "common/Cp949.h"

namespace qb::test {

void RecordingLoginHost::showWaitWindow() {
    m_waiting = true;
    events.push_back("wait:show");
}

void RecordingLoginHost::closeWaitWindow() {
    if (!m_waiting)
        return;
    m_waiting = false;
    events.push_back("wait:close");
}

void RecordingLoginHost::runAfterLoginSteps() {
    ++m_afterLogin;
    events.push_back("after-login");
    if (onAfterLogin)
        onAfterLogin();
}

void RecordingLoginHost::refreshBalance() {
    events.push_back("refresh-balance");
}

void TimelineNotifier::show(const std::string& text, MessageIcon icon, const std::string& caption) {
    RecordingNotifier::show(text, icon, caption);
    m_events.push_back((icon == MessageIcon::Error ? "error:" : "info:") + cp949::toUtf8(text));
}

} // namespace qb::test
