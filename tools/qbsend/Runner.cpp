#include "Runner.h"

#include "ConsoleNotifier.h"

#include "app/AppPaths.h"
#include "app/ServiceConfig.h"
#include "app/SystemLog.h"
#include "common/Cp949.h"
#include "net/LoginHost.h"
#include "net/LoginSession.h"
#include "net/LoginState.h"
#include "send/DryRun.h"

#include <QEventLoop>
#include <QTimer>

#include <filesystem>
#include <functional>

namespace qbsend {
namespace {

// Without a server reply the client would wait for good; qbsend gives up.
constexpr std::chrono::seconds kReplyTimeout{60};

// The main window's part, without a window: the attempt is over when the wait
// window closes without a login, or when the after-login steps run.
class HeadlessHost : public qb::LoginHost {
public:
    std::function<void()> onAttemptFailed;
    std::function<void()> onLoggedIn;
    const qb::LoginState* state = nullptr;

    void showWaitWindow() override { m_waiting = true; }
    void closeWaitWindow() override {
        if (!m_waiting)
            return;
        m_waiting = false;
        if (!state->loggedIn && onAttemptFailed)
            onAttemptFailed();
    }
    void setTitle(const std::string&) override {}
    void runAfterLoginSteps() override {
        if (onLoggedIn)
            onLoggedIn();
    }
    void refreshBalance() override {}

private:
    bool m_waiting = false;
};

bool toCp949(const std::string& utf8, std::string& out) {
    qb::cp949::Conversion c = qb::cp949::fromUtf8(utf8);
    out = std::move(c.text);
    return c.ok();
}

int dryRun(const Options& options, const std::filesystem::path& workdir, std::ostream& out) {
    qb::DryRunOptions d;
    d.workingFolder = workdir.lexically_normal().string();
    d.textFiles = options.textFiles;
    d.delimiter = options.delimiter;
    d.excelFile = options.excelFile;
    d.sheet = options.sheet;
    d.numberColumn = options.numberColumn;
    d.merges = options.merges;
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
    ConsoleNotifier notifier(out);
    return qb::runDryRun(d, notifier, out) == 0 ? kSuccess : kFailed;
}

} // namespace

int run(const Options& options, std::ostream& out, std::ostream& err) {
    std::error_code ec;
    const std::filesystem::path workdir = std::filesystem::absolute(options.workdir, ec);
    if (ec || !std::filesystem::is_directory(workdir, ec)) {
        err << "qbsend: --workdir: no such folder: " << options.workdir << "\n";
        return kBadArguments;
    }
    if (options.dryRun)
        return dryRun(options, workdir, out);
    const qb::AppPaths paths(workdir.lexically_normal().string());

    qb::ServiceConfig config = qb::ServiceConfig::load(paths.workingFolder());
    if (options.host)
        config.host = *options.host;
    if (options.loginPort)
        config.loginPort = *options.loginPort;
    if (options.sendPort)
        config.sendPort = *options.sendPort;
    if (options.webPort)
        config.webPort = *options.webPort;

    qb::LoginState state;
    state.version = paths.readVersion();
    if (!toCp949(options.id, state.userId) || !toCp949(options.password, state.password)) {
        err << "qbsend: the id and the password must be text that CP949 can hold\n";
        return kBadArguments;
    }

    const qb::SystemLog log(paths.workingFolder());
    ConsoleNotifier notifier(out);
    HeadlessHost host;
    host.state = &state;
    qb::LoginSession session(state, host, notifier, log, config);

    QEventLoop loop;
    int result = kFailed;
    host.onAttemptFailed = [&loop] { QTimer::singleShot(0, &loop, &QEventLoop::quit); };
    host.onLoggedIn = [&] {
        result = kSuccess;
        // Out of the connection's handler before the connection goes.
        QTimer::singleShot(0, &loop, [&] {
            session.logout();
            loop.quit();
        });
    };
    if (!session.login())
        return kFailed;

    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, [&] {
        err << "qbsend: no login reply within " << kReplyTimeout.count() << " s\n";
        session.closeLoginConnection();
        loop.quit();
    });
    guard.start(kReplyTimeout);
    loop.exec();
    return result;
}

} // namespace qbsend
