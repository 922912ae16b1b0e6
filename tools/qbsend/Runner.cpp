#include "Runner.h"

#include "ConsoleNotifier.h"

#include "DryRun.h"
#include "OptionForm.h"
#include "app/AppPaths.h"
#include "app/ServiceConfig.h"
#include "app/SystemLog.h"
#include "common/Cp949.h"
#include "common/LoginState.h"
#include "net/LoginConnection.h"
#include "net/LoginHost.h"
#include "net/LoginSession.h"
#include "send/JobJournal.h"
#include "send/PendingJobs.h"
#include "send/ResumePolicy.h"
#include "send/SendJob.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <iostream>
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

// Prints the messages and remembers whether one was a failure; `after` runs
// once the message is out. A server pushing thousands of packets must not fill
// the terminal: a message repeating the one before is counted, not printed, and
// after kMaxShown messages the rest are only counted.
class WatchingNotifier : public qb::Notifier {
public:
    static constexpr int kMaxShown = 1000;

    WatchingNotifier(qb::Notifier& next, std::ostream& err) : m_next(next), m_err(err) {}
    ~WatchingNotifier() override { flush(); }

    void show(const std::string& text, qb::MessageIcon icon, const std::string& caption) override {
        failed = failed || icon == qb::MessageIcon::Error;
        anyError = anyError || icon == qb::MessageIcon::Error;
        anyShown = true;
        if (m_shown > 0 && text == m_lastText && caption == m_lastCaption) {
            ++m_repeats;
        } else if (m_shown < kMaxShown) {
            flushRepeats();
            m_next.show(text, icon, caption);
            ++m_shown;
            m_lastText = text;
            m_lastCaption = caption;
        } else {
            ++m_dropped;
        }
        if (after)
            after();
    }
    bool ask(const std::string& text, qb::MessageIcon icon, const std::string& caption) override {
        flushRepeats();
        return m_next.ask(text, icon, caption);
    }
    void flush() {
        flushRepeats();
        if (m_dropped > 0)
            m_err << "qbsend: " << m_dropped << " more messages not shown\n";
        m_dropped = 0;
    }

    bool failed = false;   // since the job began
    bool anyError = false; // since qbsend began
    bool anyShown = false;
    std::function<void()> after;

private:
    void flushRepeats() {
        if (m_repeats > 0)
            m_err << "qbsend: the message above came " << m_repeats << " more times\n";
        m_repeats = 0;
    }

    qb::Notifier& m_next;
    std::ostream& m_err;
    int m_shown = 0;
    long long m_repeats = 0;
    long long m_dropped = 0;
    std::string m_lastText, m_lastCaption;
};

// Progress of long work (ten thousand steps, or a second) on one stderr line,
// five times a second and at its end.
class StderrProgress : public qb::Progress {
public:
    StderrProgress(std::ostream& err, const char* what) : m_err(err), m_what(what) {}
    ~StderrProgress() override { done(); }

    void setRange(std::int64_t, std::int64_t maximum) override {
        done();
        m_maximum = maximum;
        m_start = std::chrono::steady_clock::now();
        m_last = {};
    }
    void setValue(std::int64_t value) override {
        if (value == 0 || m_maximum <= 0 || ((value & 1023) != 0 && value != m_maximum))
            return;
        const auto now = std::chrono::steady_clock::now();
        const bool longWork = m_maximum >= 10000 || now - m_start >= std::chrono::seconds(1);
        if (!longWork || (value != m_maximum && now - m_last < std::chrono::milliseconds(200)))
            return;
        m_last = now;
        m_err << "\rqbsend: " << m_what << " " << value << " / " << m_maximum << std::flush;
        m_shown = true;
    }
    void done() {
        if (m_shown)
            m_err << "\n" << std::flush;
        m_shown = false;
    }

private:
    std::ostream& m_err;
    const char* m_what;
    std::int64_t m_maximum = 0;
    std::chrono::steady_clock::time_point m_start, m_last;
    bool m_shown = false;
};

bool toCp949(const std::string& utf8, std::string& out) {
    qb::cp949::Conversion c = qb::cp949::fromUtf8(utf8);
    out = std::move(c.text);
    return c.ok();
}

qb::DryRunOptions jobOptions(const Options& options, const std::filesystem::path& workdir,
                             std::ostream& err) {
    qb::DryRunOptions d;
    d.note = [&err](const std::string& line) { err << "qbsend: " << line << std::endl; };
    d.workingFolder = workdir.lexically_normal().string();
    d.textFiles = options.textFiles;
    d.delimiter = options.delimiter;
    d.encoding = options.encoding == "utf-8"    ? qb::TextEncoding::Utf8
                 : options.encoding == "cp949"  ? qb::TextEncoding::Cp949
                 : options.encoding == "utf-16" ? qb::TextEncoding::Utf16
                                                : qb::TextEncoding::Auto;
    d.excelFile = options.excelFile;
    d.sheet = options.sheet;
    d.numberColumn = options.numberColumn;
    d.header = options.header;
    d.merges = options.merges;
    d.mergeNames = options.mergeNames;
    d.kind = options.kind == "lms"   ? qb::MessageKind::Lms
             : options.kind == "mms" ? qb::MessageKind::Mms
                                     : qb::MessageKind::Sms;
    d.callback = options.callback;
    d.message = options.message;
    d.messageFile = options.messageFile;
    d.title = options.title;
    d.pictures = options.pictures;
    d.reserve = options.reserve;
    d.range = options.range;
    d.split = options.split;
    d.dedup = !options.noDedup;
    d.reject = !options.noReject;
    d.excludedFile = options.excludedFile;
    d.strict = options.strict;
    d.advertising = options.advertising;
    d.adName = options.adName;
    d.adOptOut = options.adOptOut;
    d.nightConsent = options.adNightConsent;
    return d;
}

// One line of the resume's list of journals.
std::string describe(const qb::PendingJob& job) {
    const std::string name = std::filesystem::path(job.path).filename().string();
    const qb::JournalContents& j = job.journal;
    const std::string what = qb::cp949::toUtf8(j.userId) + ", " + qb::kindName(j.kind) + ", ";
    const qb::ResumePlan& p = job.plan;
    switch (job.state) {
    case qb::PendingJob::State::InUse:
        return name + ": in use by another program";
    case qb::PendingJob::State::Damaged:
        return name + ": damaged (" + j.problem.substr(j.problem.rfind(": ") + 2) +
               "): nothing is sent from it; qbsend --set-aside " + name + " moves it aside";
    case qb::PendingJob::State::OtherUser:
        return name + ": of another user: " + what + "left for that user";
    case qb::PendingJob::State::Complete:
        return name + ": " + what + std::to_string(p.total) +
               " records: the service has the whole job; removed";
    case qb::PendingJob::State::Resumable:
        break;
    }
    std::string line = name + ": " + what + std::to_string(p.total) + " records: " + std::to_string(p.sure) +
                       " taken, " + std::to_string(p.uncertain) + " uncertain, " + std::to_string(p.left) +
                       " not sent";
    if (p.serviceError())
        line += " (the service claims " + std::to_string(p.serviceClaimed) + " of a segment of " +
                std::to_string(p.lastCount) + " records: not believed)";
    else if (p.uncertain > 0 && p.serviceUnreachable)
        line += " (the service cannot be asked now)";
    else if (p.maybeOlderCopy)
        line += " (a later job of the same size ran: this journal may be an older copy)";
    return line;
}

// The command line makes the choices: every journal is printed, nothing is set
// aside, this user's first job goes, uncertain records as --resend-uncertain or
// --skip-uncertain say.
class CommandLineResumeHost : public qb::ResumeHost {
public:
    CommandLineResumeHost(std::ostream& out, std::optional<bool> resend) : m_out(out), m_resend(resend) {}

    void listed(const std::vector<qb::PendingJob>& jobs) override {
        for (const qb::PendingJob& job : jobs)
            m_out << "qbsend: " << describe(job) << std::endl;
        anyListed = !jobs.empty();
    }
    bool setAsideDamaged(const qb::PendingJob&) override { return false; }
    void cannotResumeYet(const qb::PendingJob&) override {}
    bool resumeNow(const qb::PendingJob&) override { return true; }
    bool setAsideDeclined(const qb::PendingJob&) override { return false; }
    std::optional<bool> resendUncertain(const qb::PendingJob&) override { return m_resend; }

    bool anyListed = false;

private:
    std::ostream& m_out;
    std::optional<bool> m_resend;
};

int setAside(const std::string& file, const std::filesystem::path& workdir, std::ostream& out,
             std::ostream& err) {
    const std::string path = file.find('/') == std::string::npos
                                 ? qb::JobJournal::folderOf(workdir.lexically_normal().string()) + "/" + file
                                 : file;
    std::string error;
    const std::string to = qb::JobJournal::setAside(path, error);
    if (to.empty()) {
        err << "qbsend: " << error << "\n";
        return kFailed;
    }
    out << "qbsend: set aside: " << to << std::endl;
    return kSuccess;
}

int dryRun(const Options& options, const std::filesystem::path& workdir, std::ostream& out,
           std::ostream& err) {
    ConsoleNotifier notifier(out);
    const int fd = &out == &std::cout ? STDOUT_FILENO : -1;
    qb::DryRunOptions job = jobOptions(options, workdir, err);
    job.encodingLog = &err;
    return qb::runDryRun(job, notifier, out, fd, &err) == 0 ? kSuccess : kFailed;
}

// The service's addresses from service.ini, with what the command line replaces;
// a bad value the command line does not replace is a bad argument.
std::optional<int> loadConfig(const Options& options, const qb::AppPaths& paths, qb::ServiceConfig& config,
                              std::ostream& err) {
    config = qb::ServiceConfig::load(paths.workingFolder());
    if (options.host)
        config.host = *options.host;
    if (options.loginPort)
        config.loginPort = *options.loginPort;
    if (options.sendPort)
        config.sendPort = *options.sendPort;
    if (options.webPort)
        config.webPort = *options.webPort;
    if (!config.unreadFile.empty()) {
        err << "qbsend: " << config.unreadFile << ": larger than 1 MiB, not read\n";
        return kBadArguments;
    }
    for (const qb::ServiceConfig::BadValue& bad : config.badValues) {
        const bool replaced = (bad.key == "LOGIN_PORT" && options.loginPort) ||
                              (bad.key == "SEND_PORT" && options.sendPort) ||
                              (bad.key == "WEB_PORT" && options.webPort);
        if (!replaced) {
            err << "qbsend: " << qb::ServiceConfig::kFileName << ": " << bad.key << "="
                << qb::cp949::toUtf8(bad.value) << " is not a port number (1..65535)\n";
            return kBadArguments;
        }
    }
    return std::nullopt;
}

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

// One run with a login: the login, then the job (new or resumed), then the
// service's result on the login connection decides the exit code. Each step is
// a member; the event loop runs them in turn.
class SessionRun {
public:
    SessionRun(const Options& options, const std::filesystem::path& workdir, const qb::AppPaths& paths,
               const qb::ServiceConfig& config, qb::LoginState& state, std::ostream& out, std::ostream& err)
        : m_options(options), m_workdir(workdir), m_paths(paths), m_config(config),
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
        qb::DryRunOptions job = jobOptions(m_options, m_workdir, m_err);
        job.encodingLog = &m_err;
        m_prepared = std::make_unique<qb::OptionForm>(std::move(job), m_notifier, m_preparing, m_state,
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
        const qb::ResumeResult r = qb::resumeInterruptedJob(m_prepared->session(), choices);
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
    const std::filesystem::path m_workdir;
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

int run(const Options& options, std::ostream& out, std::ostream& err) {
    std::error_code ec;
    const std::filesystem::path workdir = std::filesystem::absolute(options.workdir, ec);
    if (ec || !std::filesystem::is_directory(workdir, ec)) {
        err << "qbsend: --workdir: no such folder: " << options.workdir << "\n";
        return kBadArguments;
    }
    if (options.dryRun)
        return dryRun(options, workdir, out, err);
    if (options.setAside)
        return setAside(*options.setAside, workdir, out, err);
    const qb::AppPaths paths(workdir.lexically_normal().string());
    qb::ServiceConfig config;
    if (const std::optional<int> bad = loadConfig(options, paths, config, err))
        return *bad;
    qb::LoginState state;
    state.version = paths.readVersion();
    if (!toCp949(options.id, state.userId) || !toCp949(options.password, state.password)) {
        err << "qbsend: the id and the password must be text that CP949 can hold\n";
        return kBadArguments;
    }
    return SessionRun(options, workdir, paths, config, state, out, err).exec();
}

} // namespace qbsend
