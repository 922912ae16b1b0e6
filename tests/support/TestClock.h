#pragma once

#include "common/Clock.h"

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

} // namespace qb::test
