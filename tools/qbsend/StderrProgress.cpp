#include "StderrProgress.h"

namespace qbsend {

void StderrProgress::setRange(std::int64_t, std::int64_t maximum) {
    done();
    m_maximum = maximum;
    m_start = std::chrono::steady_clock::now();
    m_last = {};
}

void StderrProgress::setValue(std::int64_t value) {
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

void StderrProgress::done() {
    if (m_shown)
        m_err << "\n" << std::flush;
    m_shown = false;
}

} // namespace qbsend
