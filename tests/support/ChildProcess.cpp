#include "support/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qb::test {

ChildProcess::ChildProcess(std::string executable, std::vector<std::string> args)
    : m_executable(std::move(executable)), m_args(std::move(args)) {}

ChildProcess::~ChildProcess() {
    if (m_pid > 0)
        wait(std::chrono::milliseconds(0));
}

void ChildProcess::start() {
    if (m_pid > 0 || m_reader.joinable())
        throw std::runtime_error(m_executable + ": started twice");
    std::vector<std::string> args = {m_executable};
    args.insert(args.end(), m_args.begin(), m_args.end());
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    }
    const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t parent = ::getpid();
    const bool limitFiles = m_fileSizeLimit.has_value();
    rlimit fileSize{};
    ::getrlimit(RLIMIT_FSIZE, &fileSize);
    if (limitFiles)
        fileSize.rlim_cur = std::min<rlim_t>(*m_fileSizeLimit, fileSize.rlim_max);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only calls safe between fork and exec from here.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        if (limitFiles) {
            // Else the kernel would end the child; an ignored signal stays ignored across exec.
            ::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &fileSize);
        }
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
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    }
    m_pid = pid;
    // Debian 12's <sys/pidfd.h> declares pidfd_open without C linkage.
    m_pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    m_reader = std::thread([this, o = out[0], e = err[0]] { readOutput(o, e); });
}

void ChildProcess::signal(int signal) {
    if (m_pid > 0)
        ::kill(m_pid, signal);
}

bool ChildProcess::ended(std::chrono::milliseconds timeout) const {
    if (m_pid <= 0)
        return true;
    pollfd p{m_pidFd, POLLIN, 0};
    int rc;
    do {
        rc = ::poll(&p, 1, static_cast<int>(timeout.count()));
    } while (rc < 0 && errno == EINTR);
    return rc == 1;
}

int ChildProcess::wait(std::chrono::milliseconds timeout) {
    if (m_pid <= 0)
        return m_code;
    const bool inTime = ended(timeout);
    if (!inTime)
        ::kill(m_pid, SIGKILL);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    ::close(m_pidFd);
    m_pid = m_pidFd = -1;
    // The output ends with the process.
    m_reader.join();
    m_code = !inTime ? -1 : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    return m_code;
}

void ChildProcess::readOutput(int out, int err) {
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

std::string ChildProcess::out() const {
    std::lock_guard lock(m_mutex);
    return m_out;
}

std::string ChildProcess::err() const {
    std::lock_guard lock(m_mutex);
    return m_err;
}

bool ChildProcess::waitForOutput(std::string_view text, std::chrono::milliseconds timeout) const {
    return waitUntil(
        [&](const std::string& out, const std::string&) { return out.find(text) != std::string::npos; },
        timeout);
}

bool ChildProcess::waitUntil(const std::function<bool(const std::string&, const std::string&)>& done,
                             std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, timeout, [&] { return done(m_out, m_err) || m_outputEnded; });
    return done(m_out, m_err);
}

} // namespace qb::test
