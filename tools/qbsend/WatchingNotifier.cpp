#include "WatchingNotifier.h"

namespace qbsend {

void WatchingNotifier::show(const std::string& text, qb::MessageIcon icon, const std::string& caption) {
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

bool WatchingNotifier::ask(const std::string& text, qb::MessageIcon icon, const std::string& caption) {
    flushRepeats();
    return m_next.ask(text, icon, caption);
}

void WatchingNotifier::flush() {
    flushRepeats();
    if (m_dropped > 0)
        m_err << "qbsend: " << m_dropped << " more messages not shown\n";
    m_dropped = 0;
}

void WatchingNotifier::flushRepeats() {
    if (m_repeats > 0)
        m_err << "qbsend: the message above came " << m_repeats << " more times\n";
    m_repeats = 0;
}

} // namespace qbsend
