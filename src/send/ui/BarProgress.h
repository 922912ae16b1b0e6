#pragma once

#include "common/Progress.h"

#include <QElapsedTimer>

class QProgressBar;

namespace qb {

// Progress of the form's long work on its progress bar. The work runs on the
// window's own thread, so now and then the bar lets the window repaint; user
// input waits until the work is done, because a click could change the very
// table being worked on.
class BarProgress : public Progress {
public:
    explicit BarProgress(QProgressBar* bar);

    void setRange(std::int64_t minimum, std::int64_t maximum) override;
    void setValue(std::int64_t value) override;

private:
    int scaled(std::int64_t value) const;
    void breathe();

    QProgressBar* m_bar;
    std::int64_t m_minimum = 0;
    std::int64_t m_divisor = 1;
    QElapsedTimer m_sinceRepaint;
};

} // namespace qb
