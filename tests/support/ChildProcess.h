#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <thread>
#include <vector>

// A program run as a child process (fork and exec), its output gathered as it
// comes. QProcess starts children with clone(CLONE_VM), which ThreadSanitizer
// cannot follow: every report in the test after it would be noise.
//
//     test::ChildProcess sender(QBSEND_PATH, {"--workdir", dir.path(), ...});
//     sender.start();
//     ASSERT_TRUE(sender.waitForOutput("...", 60s));
//     sender.signal(SIGKILL);
//     const int code = sender.wait(); // 128 + SIGKILL
//
// The child is killed when the thread that started it ends (PR_SET_PDEATHSIG):
// start it from the test's own thread. Not thread-safe: one thread drives it.
namespace qb::test {

class ChildProcess {
public:
    ChildProcess(std::string executable, std::vector<std::string> args);
    // A child still running is killed (SIGKILL) and reaped.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // No file of the child's may grow past `bytes` (RLIMIT_FSIZE): a write past
    // it fails with EFBIG, as on a full disk. Before start().
    void limitFileSize(std::uint64_t bytes) { m_fileSizeLimit = bytes; }
    // Throws std::runtime_error when the child cannot be started.
    void start();

    pid_t pid() const { return m_pid; } // -1 once reaped
    void signal(int signal);
    // Waits for the child to end: its exit code (0..255), or 128 + the number of
    // the signal that ended it. One still running after `timeout` is killed, and
    // -1 returned. Called again, returns the same code.
    int wait(std::chrono::milliseconds timeout = std::chrono::minutes(2));
    // True once the child has ended, within `timeout`.
    bool ended(std::chrono::milliseconds timeout = std::chrono::milliseconds(0)) const;

    std::string out() const;
    std::string err() const;
    // True once the child's standard output holds `text`; false when `timeout`
    // passes or the output ends first.
    bool waitForOutput(std::string_view text, std::chrono::milliseconds timeout) const;
    // The same for any condition on what the child wrote so far (out, err).
    bool waitUntil(const std::function<bool(const std::string&, const std::string&)>& done,
                   std::chrono::milliseconds timeout) const;

private:
    void readOutput(int out, int err);

    std::string m_executable;
    std::vector<std::string> m_args;
    std::optional<std::uint64_t> m_fileSizeLimit;
    pid_t m_pid = -1;
    int m_pidFd = -1;
    int m_code = -1;

    std::thread m_reader;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::string m_out, m_err;
    bool m_outputEnded = false;
};

} // namespace qb::test
