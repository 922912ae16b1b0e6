#pragma once

#include "net/LoginHost.h"
#include "support/RecordingNotifier.h"

#include <functional>
#include <string>
#include <vector>

namespace qb::test {

// The main window's part of a login, recorded as readable events in order:
// "wait:show", "wait:close" (only when a wait window was open), "logged-in",
// "closed-by-server", "logged-out", "after-login", "refresh-balance".
class RecordingLoginHost : public LoginHost {
public:
    std::vector<std::string> events;
    std::function<void()> onAfterLogin;
    // Where DATA_SENDRESULT goes before it is shown, as the main frame hands it to the send job.
    std::function<void(int, int)> onSendResult;

    void showWaitWindow() override;
    void closeWaitWindow() override;
    void loggedIn() override { events.push_back("logged-in"); }
    void closedByServer() override { events.push_back("closed-by-server"); }
    void loggedOut() override { events.push_back("logged-out"); }
    void runAfterLoginSteps() override;
    void refreshBalance() override;
    bool sendResultArrived(int result, int count) override {
        if (onSendResult)
            onSendResult(result, count);
        return true;
    }

    bool waitWindowOpen() const { return m_waiting; }
    int afterLoginRuns() const { return m_afterLogin; }

private:
    bool m_waiting = false;
    int m_afterLogin = 0;
};

// Records messages as RecordingNotifier does and also writes them into a list of
// events ("error:<text>", "info:<text>"), so their order against the host's
// events can be asserted.
class TimelineNotifier : public RecordingNotifier {
public:
    explicit TimelineNotifier(std::vector<std::string>& events) : m_events(events) {}
    void show(const std::string& text, MessageIcon icon, const std::string& caption) override;

private:
    std::vector<std::string>& m_events;
};

} // namespace qb::test
