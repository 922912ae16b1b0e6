#pragma once

#include "app/ServiceConfig.h"
#include "support/ChildProcess.h"

#include <chrono>
#include <csignal>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// The built qb-service as a child process, for the faults only a real process
// meets: SIGKILL, SIGTERM, a restart on the same database and the same ports.
//
//     test::TempDir dir;
//     test::ServiceProcess service(QB_SERVICE_PATH, dir.file("service.db"),
//                                  {"--add-account", "user01", "pass01"});
//     service.start();                  // ports chosen by the system
//     service.writeServiceIni(workdir); // for the client or qbsend
//     ...
//     EXPECT_EQ(service.stop(SIGKILL), 128 + SIGKILL);
//     service.start();                  // the same database, the same ports
//
// The child is killed when the thread that started it ends (PR_SET_PDEATHSIG),
// so a test that crashes leaves no service behind: start it from the test's
// own thread. Not thread-safe: one thread drives it.
namespace qb::test {

class ServiceProcess {
public:
    // `args`: options besides --db and the ports, given on every start
    // (accounts, --send-slow, ...). Leave out --quiet to read the event lines.
    ServiceProcess(std::string executable, std::string databasePath, std::vector<std::string> args = {});
    // A child still running is killed (SIGKILL) and reaped.
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // Starts the child and returns once it listens on every port. The first
    // start takes ports the system chooses; later ones ask for the same ports
    // again. Throws std::runtime_error, with the child's output, when it ends
    // first or `timeout` passes (it is killed then).
    void start(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Sends `signal` (and SIGCONT, so a stalled child takes it) and waits for
    // the child to end. Returns its exit code (0..255), or 128 + the number of
    // the signal that ended it. Throws std::runtime_error when it still runs
    // after `timeout` (it is killed then).
    int stop(int signal = SIGTERM, std::chrono::milliseconds timeout = std::chrono::seconds(60));
    int kill() { return stop(SIGKILL); }
    // Sends `signal` without waiting: SIGSTOP stalls the whole service (its
    // sockets stay open, nothing is read), SIGCONT lets it go on.
    void signal(int signal);
    // Replaces the options given from the next start on.
    void setArgs(std::vector<std::string> args) { m_args = std::move(args); }

    bool running() const { return m_running; }
    pid_t pid() const { return m_running ? m_child->pid() : -1; }
    // 0 before the first start.
    int loginPort() const { return m_loginPort; }
    int sendPort() const { return m_sendPort; }
    int webPort() const { return m_webPort; }
    const std::string& databasePath() const { return m_databasePath; }

    // Host 127.0.0.1 and the three ports, as the client reads them.
    ServiceConfig config() const;
    // Writes service.ini naming this service into a client's working folder.
    void writeServiceIni(const std::string& workdir) const;

    // The child's event lines (its stderr) since its last start.
    std::string log() const;
    // True once log() holds `text`; false when `timeout` passes or the child's
    // output ends first.
    bool waitForLog(std::string_view text, std::chrono::milliseconds timeout) const;

private:
    std::string m_executable;
    std::string m_databasePath;
    std::vector<std::string> m_args;
    std::unique_ptr<ChildProcess> m_child; // the last one started, kept for its log
    bool m_running = false;
    int m_loginPort = 0, m_sendPort = 0, m_webPort = 0;
};

} // namespace qb::test
