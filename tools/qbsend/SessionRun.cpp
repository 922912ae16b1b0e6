#include "SessionRun.h"

#include "CommandLineResumeHost.h"
#include "ConsoleNotifier.h"
#include "OptionForm.h"
#include "Runner.h"
#include "StderrProgress.h"
#include "WatchingNotifier.h"
#include "app/SystemLog.h"
#include "common/Cp949.h"
#include "net/LoginConnection.h"
#include "net/LoginHost.h"
#include "net/LoginSession.h"
#include "send/ResumePolicy.h"
#include "send/SendJob.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <unistd.h>

namespace qbsend {
namespace {

// The main window's part, without a window: the attempt is over when the wait
// window closes without a login, or when the after-login steps run.
class HeadlessHost : public qb::LoginHost {
public:
    std::function<void()> onAttemptFailed;
    std::function<void()> onLoggedIn;
    std::function<bool(int, int)> onSendResult;
    const qb::LoginState* state = nullptr;

    void showWaitWindow() override { m_waiting = true; }
    void closeWaitWindow() override {
        if (!m_waiting)
            return;
        m_waiting = false;
        if (!state->loggedIn && onAttemptFailed)
            onAttemptFailed();
    }
    void loggedIn() override {}
    void closedByServer() override {}
    void loggedOut() override {}
    void runAfterLoginSteps() override {
        if (onLoggedIn)
            onLoggedIn();
    }
    void refreshBalance() override {}
    bool sendResultArrived(int result, int count) override {
        return !onSendResult || onSendResult(result, count);
    }

private:
    bool m_waiting = false;
};

qb::NetTimeouts timeoutsOf(const Options& options) {
    qb::NetTimeouts timeouts;
    if (options.replyTimeout)
        timeouts.loginReply = timeouts.checkReply = std::chrono::seconds(*options.replyTimeout);
    if (options.writeTimeout)
        timeouts.writeStall = std::chrono::seconds(*options.writeTimeout);
    return timeouts;
}

// SIGINT and SIGTERM, while a run lasts, come to the event loop as `stopped`
// (through a pipe: the handler may do nothing else); the old handlers come back after.
class StopSignals {
public:
    explicit StopSignals(std::function<void()> stopped) {
        if (::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        struct sigaction a {};
        a.sa_handler = [](int) {
            const char c = 's';
            [[maybe_unused]] const ssize_t n = ::write(s_pipe[1], &c, 1);
        };
        ::sigemptyset(&a.sa_mask);
        ::sigaction(SIGINT, &a, &m_oldInt);
        ::sigaction(SIGTERM, &a, &m_oldTerm);
        m_notifier = std::make_unique<QSocketNotifier>(s_pipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [stopped = std::move(stopped)] {
            char c;
            while (::read(s_pipe[0], &c, 1) > 0) {
            }
            stopped();
        });
    }
    ~StopSignals() {
        if (!m_notifier)
            return;
        ::sigaction(SIGINT, &m_oldInt, nullptr);
        ::sigaction(SIGTERM, &m_oldTerm, nullptr);
        m_notifier.reset();
        ::close(s_pipe[0]);
        ::close(s_pipe[1]);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    static inline int s_pipe[2] = {-1, -1};
    struct sigaction m_oldInt {
    }, m_oldTerm{};
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// Each step of the run is a member; the event loop runs them in turn.
class SessionRun {
public:
    SessionRun(const Options& options, qb::DryRunOptions job, const qb::AppPaths& paths,
               const qb::ServiceConfig& config, qb::LoginState& state, std::ostream& out, std::ostream& err)
        : m_options(options), m_jobOptions(std::move(job)), m_paths(paths), m_config(config),
          m_timeouts(timeoutsOf(options)), m_state(state), m_out(out), m_err(err),
          m_log(paths.workingFolder()), m_console(out), m_notifier(m_console, err),
          m_session(state, m_host, m_notifier, m_log, config), m_preparing(err, "preparing"),
          m_sending(err, "sending") {
        m_host.state = &m_state;
        m_session.setTimeouts(m_timeouts);
        m_resultTimer.setSingleShot(true);
        QObject::connect(&m_resultTimer, &QTimer::timeout, &m_loop, [this] {
            m_err << "qbsend: no send result within " << m_options.waitSeconds << " s\n";
            finish(settleCode());
        });
        m_notifier.after = [this] { QTimer::singleShot(0, &m_loop, [this] { evaluate(); }); };
        m_host.onSendResult = [this](int r, int count) {
            return !m_prepared || m_prepared->session().sendResultArrived(r, count);
        };
        // A login the server closes before its reply tells the client's user
        // nothing; every other failed login has its message.
        m_host.onAttemptFailed = [this] {
            finish(kFailed, "the server closed the connection before the login reply", true);
        };
        m_host.onLoggedIn = [this] { afterLogin(); };
    }

    int exec() {
        if (!m_session.login())
            return kFailed;
        // Every wait of the login and the job has its time-out, and the result its --wait.
        m_loop.exec();
        m_notifier.flush();
        const bool told = m_reasonOnlyIfSilent ? m_notifier.anyShown : m_notifier.anyError;
        if (m_result != kSuccess && !told && !m_reason.empty())
            m_err << "qbsend: " << m_reason << "\n";
        return m_result;
    }

private:
    // Stopped as "전송중지" stops the client's job: the service's count decides,
    // and the rest is kept for --resume. Before the job there is nothing to keep.
    void stopRequested() {
        m_stopRequested = true;
        if (m_job && m_job->stop())
            return;
        if (!m_job || !m_job->running())
            finish(kFailed, "stopped before anything was sent");
    }

    void afterLogin() {
        if (m_options.resume)
            QTimer::singleShot(0, &m_loop, [this] { resumeJob(); });
        else if (m_options.hasJob())
            QTimer::singleShot(0, &m_loop, [this] { startJob(); });
        else
            finish(kSuccess);
    }

    // Printed at the end when no error message has said why qbsend failed (or,
    // for a login that ended, no message at all). Out of any connection's
    // handler before the connections go.
    void finish(int code, std::string why = {}, bool onlyIfSilent = false) {
        if (m_finished)
            return;
        m_finished = true;
        m_result = code;
        m_reason = std::move(why);
        m_reasonOnlyIfSilent = onlyIfSilent;
        QTimer::singleShot(0, &m_loop, [this] {
            m_session.logout();
            m_loop.quit();
        });
    }

    void makeForm() {
        m_prepared = std::make_unique<qb::OptionForm>(m_jobOptions, m_notifier, m_preparing, m_state,
                                                      m_sending, m_config);
        m_prepared->session().setWorkingFolder(m_paths.workingFolder());
    }

    // The send: prepared as the preview does, sent by the client's job.
    void startJob() {
        makeForm();
        const bool ready = m_prepared->prepare();
        m_preparing.done();
        if (!ready) {
            finish(kFailed, "the job was not prepared");
            return;
        }
        send();
    }

    void resumeJob() {
        makeForm();
        CommandLineResumeHost choices(m_out, m_options.resendUncertain);
        const qb::ResumeResult r = m_prepared->session().resume(choices);
        const std::string name = std::filesystem::path(r.path).filename().string();
        using Outcome = qb::ResumeResult::Outcome;
        switch (r.outcome) {
        case Outcome::Started:
            m_out << "qbsend: resuming " << name << std::endl;
            send();
            return;
        case Outcome::NothingLeft:
            m_out << "qbsend: nothing left to send" << std::endl;
            return finish(kSuccess);
        case Outcome::Nothing:
            if (!choices.anyListed)
                m_out << "qbsend: nothing to resume" << std::endl;
            return finish(kSuccess);
        case Outcome::NeedsChoice:
            return finish(kNeedsChoice, "the service cannot say whether it has " +
                                            std::to_string(r.uncertain) +
                                            " records: resume with --resend-uncertain or --skip-uncertain");
        case Outcome::Refused:
            return finish(kRefused, "the service's count cannot be believed; nothing was sent");
        case Outcome::Waiting:
            return finish(kPending, "the service cannot say yet what it holds: run --resume again later");
        case Outcome::InUse:
            return finish(kPending, "another program is sending a job of this folder");
        case Outcome::Damaged:
            return finish(kFailed, "a journal cannot be trusted; nothing was sent from it");
        case Outcome::Failed:
            return finish(kFailed, qb::cp949::toUtf8(r.error));
        }
    }

    void send() {
        qb::SendSession& session = m_prepared->session();
        session.onRunningChanged = [this](bool running) { runningChanged(running); };
        m_job = &session.job();
        m_job->setTimeouts(m_timeouts);
        m_job->setAskAboutUncertain(false);
        m_notifier.failed = false;
        if (m_stopRequested)
            return finish(kFailed, "stopped before anything was sent");
        session.startSend();
        if (!m_job->running())
            finish(settleCode(), "the job did not start"); // refused before it began
    }

    void runningChanged(bool running) {
        if (running)
            return;
        m_jobOver = true;
        // Results that came before the job was written are not its result.
        if (const qb::LoginConnection* c = m_session.connection())
            m_resultsBeforeEnd = c->sendResultCount();
        m_sending.done();
        QTimer::singleShot(0, &m_loop, [this] { evaluate(); });
    }

    // After every message and the job's end: is the run over, and how?
    void evaluate() {
        if (m_finished || !m_job)
            return;
        // Before the connection's state: it may have closed after the last result.
        if (m_job->complete()) {
            finish(kSuccess);
            return;
        }
        const qb::LoginConnection* c = m_session.connection();
        if (c && m_jobOver && c->sendResultCount() > m_resultsBeforeEnd) {
            const qb::packet::SendResult& r = *c->lastSendResult();
            finish(settleCode(), "the server took " + std::to_string(r.count) + " of " +
                                     std::to_string(m_job->messageCount()) + " messages");
        } else if (!c || c->isClosed()) {
            finish(settleCode(), "the login connection closed before the send result");
        } else if (m_jobOver && m_notifier.failed && !m_job->awaitingResult()) {
            // Cut short: the job has said how far it got from what the service
            // holds, and its result may have come while it was still writing.
            finish(settleCode(), m_job->stats().recordsWritten == 0 ? "nothing was sent" : "");
        } else if (m_jobOver && !m_resultTimer.isActive()) {
            m_resultTimer.start(std::chrono::seconds(m_options.waitSeconds));
        }
    }

    // Where a job that did not end complete leaves things, as the exit code says.
    int settleCode() {
        if (m_job->complete())
            return kSuccess;
        const bool kept = m_job->releaseJournal();
        if (kept)
            m_err << "qbsend: the rest of the job is kept in " << m_job->pendingJournal()
                  << "; qbsend --resume sends it\n";
        if (m_job->refused() || m_job->serviceCountError())
            return kRefused;
        if (!kept)
            return kFailed;
        return m_job->uncertainRecords() > 0 && !m_job->waitsForService() ? kNeedsChoice : kPending;
    }

    const Options& m_options;
    const qb::DryRunOptions m_jobOptions;
    const qb::AppPaths& m_paths;
    const qb::ServiceConfig m_config;
    const qb::NetTimeouts m_timeouts;
    qb::LoginState& m_state;
    std::ostream& m_out;
    std::ostream& m_err;
    const qb::SystemLog m_log;
    ConsoleNotifier m_console;
    WatchingNotifier m_notifier;
    HeadlessHost m_host;
    qb::LoginSession m_session;
    QEventLoop m_loop;
    QTimer m_resultTimer;
    StderrProgress m_preparing, m_sending;

    int m_result = kFailed;
    bool m_finished = false;
    std::string m_reason;
    bool m_reasonOnlyIfSilent = false;
    std::unique_ptr<qb::OptionForm> m_prepared;
    qb::SendJob* m_job = nullptr;
    bool m_stopRequested = false;
    StopSignals m_signals{[this] { stopRequested(); }};
    bool m_jobOver = false;
    long long m_resultsBeforeEnd = 0;
};

} // namespace

int runSession(const Options& options, qb::DryRunOptions job, const qb::AppPaths& paths,
               const qb::ServiceConfig& config, qb::LoginState& state, std::ostream& out, std::ostream& err) {
    return SessionRun(options, std::move(job), paths, config, state, out, err).exec();
}

} // namespace qbsend
