#pragma once

#include "app/SystemLog.h"
#include "common/Clock.h"
#include "common/Cp949.h"
#include "net/LoginSession.h"
#include "net/SendJob.h"
#include "net/SendJobHost.h"
#include "send/SendForm.h"
#include "support/RecordingLoginHost.h"
#include "support/RunUntil.h"
#include "support/ServiceHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A logged-in client with a send form and its send job, against qb-service on
// loopback. Everything the user would notice goes into one timeline.
namespace qb::test {

class NoDialogs : public FormDialogs {
public:
    std::optional<std::vector<std::string>> chooseTextFiles(const std::string&) override { return {}; }
    std::optional<std::string> chooseWorkbook(const std::string&) override { return {}; }
    std::optional<int> chooseSheet(const std::vector<std::string>&) override { return {}; }
};

// The LMS editor and MMS window, open with the content a test gives them.
class OpenEditors : public EditorWindows {
public:
    std::optional<EditorContent> lms, mms;
    std::optional<EditorContent> lmsEditor() const override { return lms; }
    std::optional<EditorContent> mmsWindow() const override { return mms; }
    void showLmsEditor() override {}
    void showMmsWindow() override {}
    void closeLmsEditor() override {}
    void closeMmsWindow() override {}
};

// Every progress call, in order.
class ProgressLog : public Progress {
public:
    std::vector<std::int64_t> values;
    std::vector<std::int64_t> ranges; // maxima
    void setRange(std::int64_t, std::int64_t maximum) override { ranges.push_back(maximum); }
    void setValue(std::int64_t v) override { values.push_back(v); }
};

class RecordingSendHost : public SendJobHost {
public:
    explicit RecordingSendHost(std::vector<std::string>& events) : m_events(events) {}
    void sendRunningChanged(bool running) override { m_events.push_back(running ? "running" : "stopped"); }
    void refreshBalance() override { m_events.push_back("form:refresh-balance"); }

private:
    std::vector<std::string>& m_events;
};

// Fields joined by 0x04, closed by 0x02.
inline std::string record(const std::vector<std::string>& fields) {
    std::string out;
    for (const std::string& f : fields)
        out += f + "\x04";
    out.back() = '\x02';
    return out;
}

class SendJobTest : public ::testing::Test {
protected:
    static constexpr const char* kStamp = "20160910090507";

    void SetUp() override;
    void TearDown() override { Clock::setInstance(nullptr); }

    void login(const std::string& id = "user01", const std::string& password = "pass01");
    // Numbers 0101000000i (i from 1) with the SMS text, validated as the preview does.
    void prepareSms(int count, const std::string& utf8Message = "hello");
    // Records put straight into the queue, with the byte total validation would leave.
    void fillQueue(MessageKind kind, int count, const std::string& body = "hello");
    std::string number(int i) const;
    // Runs the event loop until the job is over and, when `result` is set, the
    // server's result has been shown.
    bool finish(bool result = true);
    // The records the service stored for the user's job `index` (from 0), as raw bytes.
    std::vector<std::string> storedRaw(std::size_t index);
    // Messages and events from the last mark on.
    std::vector<std::string> since(std::size_t mark) const {
        return std::vector<std::string>(events.begin() + static_cast<std::ptrdiff_t>(mark), events.end());
    }

    ServiceHarness service;
    LoginState state;
    RecordingLoginHost loginHost;
    // One timeline: the login host's events, messages, the send form's events.
    std::vector<std::string>& events = loginHost.events;
    TimelineNotifier notifier{events};
    SystemLog log{service.workdir()};
    LoginSession session{state, loginHost, notifier, log, service.config()};
    ProgressLog progress;
    SendSettings settings;
    NoDialogs dialogs;
    OpenEditors editors;
    SendForm form{notifier, progress, settings, state, RejectTable::inWorkingFolder(service.workdir()), dialogs,
                  editors};
    RecordingSendHost host{events};
    SendJob job{form, state, notifier, progress, host, service.config()};
};

} // namespace qb::test
