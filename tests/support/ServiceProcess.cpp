#include "support/ServiceProcess.h"

#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace qb::test {
namespace {

// The port a "login-port 43121" line of the child's output names; 0 when none.
int portLine(const std::string& out, const std::string& role) {
    const std::string key = role + " ";
    for (std::size_t at = 0; (at = out.find(key, at)) != std::string::npos; at += key.size()) {
        if (at > 0 && out[at - 1] != '\n')
            continue;
        const std::size_t end = out.find('\n', at);
        if (end == std::string::npos)
            return 0;
        return std::atoi(out.substr(at + key.size(), end - at - key.size()).c_str());
    }
    return 0;
}

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error("qb-service child: " + what);
}

} // namespace

ServiceProcess::ServiceProcess(std::string executable, std::string databasePath,
                               std::vector<std::string> args)
    : m_executable(std::move(executable)), m_databasePath(std::move(databasePath)), m_args(std::move(args)) {}

ServiceProcess::~ServiceProcess() = default;

void ServiceProcess::start(std::chrono::milliseconds timeout) {
    if (m_running)
        fail("already running");
    std::vector<std::string> args = {"--db", m_databasePath};
    if (m_loginPort > 0) {
        for (const auto& [option, port] :
             {std::pair{"--login-port", m_loginPort}, std::pair{"--send-port", m_sendPort},
              std::pair{"--web-port", m_webPort}}) {
            args.emplace_back(option);
            args.push_back(std::to_string(port));
        }
    }
    args.insert(args.end(), m_args.begin(), m_args.end());
    m_child = std::make_unique<ChildProcess>(m_executable, std::move(args));
    try {
        m_child->start();
    } catch (const std::runtime_error& e) {
        fail(e.what());
    }
    m_running = true;
    const bool listening = m_child->waitUntil(
        [](const std::string& out, const std::string&) {
            return portLine(out, "login-port") > 0 && portLine(out, "send-port") > 0 &&
                   portLine(out, "web-port") > 0;
        },
        timeout);
    const std::string out = m_child->out();
    if (listening) {
        m_loginPort = portLine(out, "login-port");
        m_sendPort = portLine(out, "send-port");
        m_webPort = portLine(out, "web-port");
        return;
    }
    const bool ended = m_child->ended();
    m_child->wait(std::chrono::milliseconds(0));
    m_running = false;
    fail((ended ? "ended before it listened: " : "did not listen in time: ") + out + m_child->err());
}

int ServiceProcess::stop(int signal, std::chrono::milliseconds timeout) {
    if (!m_running)
        fail("not running");
    m_child->signal(signal);
    // A stalled child takes the signal once it runs again.
    m_child->signal(SIGCONT);
    const int code = m_child->wait(timeout);
    m_running = false;
    if (code < 0)
        fail("still running " + std::to_string(timeout.count()) + " ms after signal " +
             std::to_string(signal));
    return code;
}

void ServiceProcess::signal(int signal) {
    if (!m_running)
        fail("not running");
    m_child->signal(signal);
}

ServiceConfig ServiceProcess::config() const {
    ServiceConfig c;
    c.host = "127.0.0.1";
    c.loginPort = m_loginPort;
    c.sendPort = m_sendPort;
    c.webPort = m_webPort;
    return c;
}

void ServiceProcess::writeServiceIni(const std::string& workdir) const {
    const std::string ini = "[SERVICE]\r\nHOST=127.0.0.1\r\nLOGIN_PORT=" + std::to_string(m_loginPort) +
                            "\r\nSEND_PORT=" + std::to_string(m_sendPort) +
                            "\r\nWEB_PORT=" + std::to_string(m_webPort) + "\r\n";
    const int fd = ::open((workdir + "/" + ServiceConfig::kFileName).c_str(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, ini.data(), ini.size()) != static_cast<ssize_t>(ini.size())) {
        if (fd >= 0)
            ::close(fd);
        fail("cannot write service.ini in " + workdir);
    }
    ::close(fd);
}

std::string ServiceProcess::log() const {
    return m_child ? m_child->err() : std::string();
}

bool ServiceProcess::waitForLog(std::string_view text, std::chrono::milliseconds timeout) const {
    return m_child &&
           m_child->waitUntil([&](const std::string&,
                                  const std::string& err) { return err.find(text) != std::string::npos; },
                              timeout);
}

} // namespace qb::test
