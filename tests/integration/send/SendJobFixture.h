#pragma once

#include "app/SystemLog.h"
#include "common/Clock.h"
#include "common/Cp949.h"
#include "net/LoginSession.h"
#include "send/SendForm.h"
#include "send/SendJob.h"
#include "send/SendJobHost.h"
#include "support/RecordingLoginHost.h"
#include "support/RunUntil.h"
#include "support/ServiceHarness.h"
#include "support/TestClock.h"
#include "support/TextLists.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

// A logged-in client with a send form and its send job, against qb-service on
// loopback. Everything the user would notice goes into one timeline.
namespace qb::test {

// The LMS editor and MMS window, open with the content a test gives them.
class OpenEditors : public EditorWindowHost {
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
    std::function<void(std::int64_t)> onValue;
    void setRange(std::int64_t, std::int64_t maximum) override { ranges.push_back(maximum); }
    void setValue(std::int64_t v) override {
        values.push_back(v);
        if (onValue)
            onValue(v);
    }
};

// A socket that misbehaves on purpose: no socket at all, a check packet taken in
// part, a failing read, a send that fails at its n-th call, or sends that take at
// most `chop` bytes and report a full socket every other time (the write
// notification follows from the event loop, as the real one's does).
class FaultySocket : public AsyncSocket {
public:
    bool failCreate = false;
    bool failReceive = false;
    int shortSendAt = 0; // 1-based send call
    int failSendAt = 0;
    std::size_t chop = 0;
    bool blockEveryOther = false;
    int redirectPort = 0; // connect here instead
    std::function<void()> onWouldBlock;
    int sends = 0;

    bool create() override {
        if (!failCreate)
            return AsyncSocket::create();
        setLastError(EMFILE);
        return false;
    }
    void connectToHost(const std::string& host, int port) override {
        AsyncSocket::connectToHost(host, redirectPort ? redirectPort : port);
    }
    long send(const char* data, std::size_t size) override {
        ++sends;
        if (sends == shortSendAt)
            return AsyncSocket::send(data, size / 2);
        if (sends == failSendAt) {
            setLastError(EPIPE);
            return -1;
        }
        if (blockEveryOther && sends > 1 && sends % 2 == 0) {
            setLastError(EAGAIN);
            if (onWouldBlock)
                onWouldBlock();
            QTimer::singleShot(1, this, [this] { emit writable(); });
            return -1;
        }
        return AsyncSocket::send(data, chop && sends > 1 ? std::min(size, chop) : size);
    }
    long receive(char* buffer, std::size_t size) override {
        if (!failReceive)
            return AsyncSocket::receive(buffer, size);
        setLastError(EIO);
        return -1;
    }
};

// Records the job's events and, as the client's send session does, keeps the
// form's buttons off while a job runs.
class RecordingSendHost : public SendJobHost {
public:
    RecordingSendHost(std::vector<std::string>& events, SendForm& form) : m_events(events), m_form(form) {}
    void sendRunningChanged(bool running) override {
        m_events.push_back(running ? "running" : "stopped");
        m_form.setSending(running, job && job->rest());
    }
    const SendJob* job = nullptr;
    void refreshBalance() override { m_events.push_back("form:refresh-balance"); }

private:
    std::vector<std::string>& m_events;
    SendForm& m_form;
};

// Members are public: failure tables set the fixture up from plain functions.
class SendJobTest : public ::testing::Test {
public:
    static constexpr const char* kStamp = "20160910090507";

    void SetUp() override;

    void login(const std::string& id = "user01", const std::string& password = "pass01");
    // Numbers 0101000000i (i from 1) loaded as direct entry, callback 0212345678,
    // `setup` fills in the rest, then the preview's validation runs.
    void prepare(MessageKind kind, int count, const std::function<void()>& setup);
    void prepareSms(int count, const std::string& utf8Message = "hello");
    // An MMS with the first `pictures` of three fixture pictures.
    void prepareMms(int count, int pictures);
    // The same records straight into the next batch, with `pictures` fixture pictures.
    void fillQueueFor(MessageKind kind, int pictures = 0);
    void clearQueue() { staged().queue.clear(); }
    // What the next start() hands the job, as "전송하기" does: the preview's batch,
    // or records put in directly. None once the job took it.
    std::optional<SendBatch> next;
    SendBatch& staged() {
        if (!next)
            next.emplace();
        return *next;
    }
    // "전송하기": the job takes the next batch, when there is one, and sends.
    void start();
    // What the job holds: after a job, the records it left.
    const SendBatch& jobBatch() const { return job.batch(); }
    void logout() { session.logout(); }
    void useDeadSendPort();
    // The client believes it is logged in as `id`; the server has no login for it.
    void pretendLoggedInAs(const std::string& id) { state.userId = id; }
    void setBalance(const std::string& amount);
    void quirks(const std::function<void(qbs::SendQuirks&)>& set);
    void webFault(const std::string& rule);
    // Time-outs of a fraction of a second, for tests of a server that never answers.
    void shortTimeouts();
    // A faulty socket for the next job only; it lives as long as that job's connection.
    FaultySocket& faultySocket();
    // Records put straight into the next batch, with the byte total validation would leave.
    void fillQueue(MessageKind kind, int count, const std::string& body = "hello") {
        fillBatch(staged(), kind, count, body);
    }
    // The same batch taken by another job at once.
    void fillQueue(SendJob& into, MessageKind kind, int count, const std::string& body = "hello") {
        SendBatch batch;
        fillBatch(batch, kind, count, body);
        into.take(std::move(batch));
    }
    void fillBatch(SendBatch& batch, MessageKind kind, int count, const std::string& body);
    std::string number(int i) const;
    // Runs the event loop until the job is over and, when `result` is set, the
    // server's result has been shown.
    bool finish(bool result = true);
    // The records the service stored for the user's job `index` (from 0), as raw bytes.
    std::vector<std::string> storedRaw(std::size_t index);
    std::vector<qbs::SendJobRow> serverJobs() {
        return service.service().sendServer().store().jobs(state.userId);
    }
    qbs::SendServer& sendServer() { return service.service().sendServer(); }
    // The paths and sizes of the fixture pictures.
    static PictureSlot picture(int slot);
    // Messages and events from the last mark on.
    std::vector<std::string> since(std::size_t mark) const {
        return std::vector<std::string>(events.begin() + static_cast<std::ptrdiff_t>(mark), events.end());
    }

    ClockAt fixedClock{LocalTime{2016, 9, 10, 9, 5, 7}};
    FixedClock* clock = &fixedClock.clock();
    ServiceHarness service;
    LoginState state;
    RecordingLoginHost loginHost;
    // One timeline: the login host's events, messages, the send form's events.
    std::vector<std::string>& events = loginHost.events;
    TimelineNotifier notifier{events};
    SystemLog log{service.workdir()};
    LoginSession session{state, loginHost, notifier, log, service.config()};
    ProgressLog progress;
    NoFormDialogHost dialogs;
    OpenEditors editors;
    SendForm form{notifier, progress, state, RejectTable::inWorkingFolder(service.workdir()),
                  dialogs,  editors};
    RecordingSendHost host{events, form};
    SendJob job{state, notifier, progress, host, service.config()};
    std::unique_ptr<FaultySocket> m_nextSocket;
};

} // namespace qb::test
