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

// A size field of /proc/self/status ("VmHWM:", "VmRSS:") in KiB, or -1 when it cannot be read.
inline long long statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stoll(line.substr(std::char_traits<char>::length(field)));
    return -1;
}

// The peak resident set in KiB, and the resident set now.
inline long long peakKiB() {
    return statusKiB("VmHWM:");
}
inline long long residentKiB() {
    return statusKiB("VmRSS:");
}

inline double peakMiB() {
    return static_cast<double>(peakKiB()) / 1024.0;
}

// Starts the peak again from the present resident set, so one step is measured alone.
inline void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace qb::bench
