#include "common/ui/BarProgress.h"

#include <QCoreApplication>
#include <QProgressBar>

#include <climits>

namespace qb {
namespace {

constexpr qint64 kRepaintEveryMs = 60;

} // namespace

BarProgress::BarProgress(QProgressBar* bar, Repaint repaint) : m_bar(bar), m_repaint(repaint) {
    m_sinceRepaint.start();
}

int BarProgress::scaled(std::int64_t value) const {
    return static_cast<int>((value - m_minimum) / m_divisor);
}

void BarProgress::setRange(std::int64_t minimum, std::int64_t maximum) {
    m_minimum = minimum;
    // A bar counts in int; a longer range moves in coarser steps.
    m_divisor = 1;
    while ((maximum - minimum) / m_divisor > INT_MAX)
        m_divisor *= 2;
    m_bar->setRange(0, scaled(std::max(minimum, maximum)));
    m_bar->setValue(0);
}

void BarProgress::setValue(std::int64_t value) {
    m_bar->setValue(std::clamp(scaled(value), m_bar->minimum(), m_bar->maximum()));
    breathe();
}

void BarProgress::breathe() {
    if (m_repaint == Repaint::Never || m_sinceRepaint.elapsed() < kRepaintEveryMs)
        return;
    m_sinceRepaint.restart();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace qb
