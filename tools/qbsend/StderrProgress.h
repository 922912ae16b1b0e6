#pragma once

#include "common/Progress.h"

#include <chrono>
#include <cstdint>
#include <ostream>

// Progress of long work (ten thousand steps, or a second) on one stderr line,
// five times a second and at its end.
namespace qbsend {

class StderrProgress : public qb::Progress {
public:
    StderrProgress(std::ostream& err, const char* what) : m_err(err), m_what(what) {}
    ~StderrProgress() override { done(); }
    StderrProgress(const StderrProgress&) = delete;
    StderrProgress& operator=(const StderrProgress&) = delete;

    void setRange(std::int64_t minimum, std::int64_t maximum) override;
    void setValue(std::int64_t value) override;
    // Ends the line, if one was shown.
    void done();

private:
    std::ostream& m_err;
    const char* m_what;
    std::int64_t m_maximum = 0;
    std::chrono::steady_clock::time_point m_start, m_last;
    bool m_shown = false;
};

} // namespace qbsend
