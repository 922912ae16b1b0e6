#pragma once

#include "common/Notifier.h"

#include <functional>
#include <ostream>
#include <string>

// Prints the messages and remembers whether one was a failure; `after` runs
// once the message is out. A server pushing thousands of packets must not fill
// the terminal: a message repeating the one before is counted, not printed, and
// after kMaxShown messages the rest are only counted.
namespace qbsend {

class WatchingNotifier : public qb::Notifier {
public:
    static constexpr int kMaxShown = 1000;

    WatchingNotifier(qb::Notifier& next, std::ostream& err) : m_next(next), m_err(err) {}
    ~WatchingNotifier() override { flush(); }
    WatchingNotifier(const WatchingNotifier&) = delete;
    WatchingNotifier& operator=(const WatchingNotifier&) = delete;

    void show(const std::string& text, qb::MessageIcon icon, const std::string& caption) override;
    bool ask(const std::string& text, qb::MessageIcon icon, const std::string& caption) override;
    // Says how many messages were counted and not printed.
    void flush();

    bool failed = false;   // since the job began
    bool anyError = false; // since qbsend began
    bool anyShown = false;
    std::function<void()> after;

private:
    void flushRepeats();

    qb::Notifier& m_next;
    std::ostream& m_err;
    int m_shown = 0;
    long long m_repeats = 0;
    long long m_dropped = 0;
    std::string m_lastText, m_lastCaption;
};

} // namespace qbsend
