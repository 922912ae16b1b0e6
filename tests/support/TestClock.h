#pragma once

#include "common/Clock.h"

#include <cstdlib>
#include <string>

// A fixed clock for as long as the object lives; the system clock again after.
namespace qb::test {

class ClockAt {
public:
    explicit ClockAt(const LocalTime& t) : ClockAt(fromLocal(t)) {}
    explicit ClockAt(std::time_t t) {
        auto clock = std::make_unique<FixedClock>(t);
        m_clock = clock.get();
        Clock::setInstance(std::move(clock));
    }
    ~ClockAt() { Clock::setInstance(nullptr); }
    ClockAt(const ClockAt&) = delete;
    ClockAt& operator=(const ClockAt&) = delete;

    void advance(std::time_t seconds) { m_clock->advance(seconds); }
    void set(const LocalTime& t) { m_clock->set(fromLocal(t)); }
    FixedClock& clock() { return *m_clock; }

private:
    FixedClock* m_clock = nullptr;
};

// The machine's zone set (TZ) for as long as the object lives.
struct ZoneAt {
    explicit ZoneAt(const char* zone) {
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneAt() { (m_old.empty() ? ::unsetenv("TZ") : ::setenv("TZ", m_old.c_str(), 1)), ::tzset(); }
    const std::string m_old = std::getenv("TZ") ? std::getenv("TZ") : "";
};

// Zones a machine may be set to: Korea's own, behind it, and one with daylight saving.
inline constexpr const char* kZones[] = {"Asia/Seoul", "UTC", "America/Los_Angeles"};

} // namespace qb::test
