#include "support/ServiceProcess.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
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

ServiceProcess::~ServiceProcess() {
    if (running())
        killAndReap();
}

void ServiceProcess::start(std::chrono::milliseconds timeout) {
    if (running())
        fail("already running");
    std::vector<std::string> args = {m_executable, "--db", m_databasePath};
    if (m_loginPort > 0) {
        for (const auto& [option, port] :
             {std::pair{"--login-port", m_loginPort}, std::pair{"--send-port", m_sendPort},
              std::pair{"--web-port", m_webPort}}) {
            args.emplace_back(option);
            args.push_back(std::to_string(port));
        }
    }
    args.insert(args.end(), m_args.begin(), m_args.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        fail(std::string("pipe: ") + std::strerror(errno));
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        fail(std::string("pipe: ") + std::strerror(errno));
    }
    const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only calls safe between fork and exec from here.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::dup2(devNull, 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(devNull);
    ::close(out[1]);
    ::close(err[1]);
    if (pid < 0) {
        ::close(out[0]);
        ::close(err[0]);
        fail(std::string("fork: ") + std::strerror(errno));
    }
    m_pid = pid;
    // Debian 12's <sys/pidfd.h> declares pidfd_open without C linkage.
    m_pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    {
        std::lock_guard lock(m_mutex);
        m_out.clear();
        m_err.clear();
        m_outputEnded = false;
    }
    m_reader = std::thread([this, o = out[0], e = err[0]] { readOutput(o, e); });

    std::unique_lock lock(m_mutex);
    const bool listening = m_changed.wait_for(lock, timeout, [this] {
        return m_outputEnded || (portLine(m_out, "login-port") > 0 && portLine(m_out, "send-port") > 0 &&
                                 portLine(m_out, "web-port") > 0);
    });
    if (listening && !m_outputEnded) {
        m_loginPort = portLine(m_out, "login-port");
        m_sendPort = portLine(m_out, "send-port");
        m_webPort = portLine(m_out, "web-port");
        return;
    }
    const std::string output = m_out + m_err;
    lock.unlock();
    killAndReap();
    fail((listening ? "ended before it listened: " : "did not listen in time: ") + output);
}

int ServiceProcess::stop(int signal, std::chrono::milliseconds timeout) {
    if (!running())
        fail("not running");
    ::kill(m_pid, signal);
    // A stalled child takes the signal once it runs again.
    ::kill(m_pid, SIGCONT);
    pollfd p{m_pidFd, POLLIN, 0};
    int rc;
    do {
        rc = ::poll(&p, 1, static_cast<int>(timeout.count()));
    } while (rc < 0 && errno == EINTR);
    if (rc != 1) {
        killAndReap();
        fail("still running " + std::to_string(timeout.count()) + " ms after signal " +
             std::to_string(signal));
    }
    return reap();
}

void ServiceProcess::signal(int signal) {
    if (!running())
        fail("not running");
    ::kill(m_pid, signal);
}

void ServiceProcess::killAndReap() {
    ::kill(m_pid, SIGKILL);
    reap();
}

int ServiceProcess::reap() {
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    ::close(m_pidFd);
    m_pid = m_pidFd = -1;
    // The output ends with the process.
    m_reader.join();
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

void ServiceProcess::readOutput(int out, int err) {
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    std::string* into[2] = {&m_out, &m_err};
    char buf[4096];
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !fds[i].revents)
                continue;
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                ::close(fds[i].fd);
                fds[i].fd = -1; // poll skips negative descriptors
                continue;
            }
            std::lock_guard lock(m_mutex);
            into[i]->append(buf, static_cast<std::size_t>(n));
            m_changed.notify_all();
        }
    }
    for (const pollfd& f : fds)
        if (f.fd >= 0)
            ::close(f.fd);
    std::lock_guard lock(m_mutex);
    m_outputEnded = true;
    m_changed.notify_all();
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
    std::lock_guard lock(m_mutex);
    return m_err;
}

bool ServiceProcess::waitForLog(std::string_view text, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, timeout, [&] { return m_err.find(text) != std::string::npos || m_outputEnded; });
    return m_err.find(text) != std::string::npos;
}

} // namespace qb::test
