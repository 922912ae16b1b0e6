#pragma once

#include "common/Notifier.h"

#include <fstream>
#include <string>

// What the benchmarks share: a notifier that shows nothing, and the process's
// peak resident memory.
namespace qb::bench {

class QuietNotifier : public Notifier {
public:
    int errors = 0;
    void show(const std::string&, MessageIcon icon, const std::string&) override {
        errors += icon == MessageIcon::Error;
    }
    bool ask(const std::string&, MessageIcon, const std::string&) override { return false; }
};

// The peak resident set (VmHWM) in KiB, or -1 when it cannot be read.
inline long long peakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stoll(line.substr(6));
    return -1;
}

inline double peakMiB() {
    return static_cast<double>(peakKiB()) / 1024.0;
}

// Starts the peak again from the present resident set, so one step is measured alone.
inline void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace qb::bench
