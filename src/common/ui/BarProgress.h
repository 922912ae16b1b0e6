#pragma once

#include "common/Progress.h"

#include <QElapsedTimer>

class QProgressBar;

namespace qb {

// Progress of the form's long work on its progress bar. Work that runs on the
// window's own thread without a break (imports, validation) lets the window
// repaint now and then; user input waits until the work is done, because a
// click could change the very table being worked on. Work that returns to the
// event loop by itself (a send job, whose socket must not be served from
// inside its own loop) only moves the bar.
class BarProgress : public Progress {
public:
    enum class Repaint { Now, Never };
    BarProgress(QProgressBar* bar, Repaint repaint);

    void setRange(std::int64_t minimum, std::int64_t maximum) override;
    void setValue(std::int64_t value) override;

private:
    int scaled(std::int64_t value) const;
    void breathe();

    QProgressBar* m_bar;
    Repaint m_repaint;
    std::int64_t m_minimum = 0;
    std::int64_t m_divisor = 1;
    QElapsedTimer m_sinceRepaint;
};

} // namespace qb
