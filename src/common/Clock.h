#pragma once

#include <ctime>
#include <memory>
#include <string>

// Everything time-stamped (log lines and file names, reservations, split slices,
// picture stamps) reads the time here, so tests can set it.
namespace qb {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::time_t now() const;

    static const Clock& instance();
    // Replaces the clock for the rest of the process (tests). nullptr restores the system clock.
    static void setInstance(std::unique_ptr<Clock> clock);
};

// A clock that stands still until told otherwise.
class FixedClock : public Clock {
public:
    explicit FixedClock(std::time_t t) : m_time(t) {}
    std::time_t now() const override { return m_time; }
    void set(std::time_t t) { m_time = t; }
    void advance(std::time_t seconds) { m_time += seconds; }

private:
    std::time_t m_time;
};

struct LocalTime {
    int year = 0;   // four digits
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;   // 0..23
    int minute = 0; // 0..59
    int second = 0; // 0..59
};

LocalTime toLocal(std::time_t t);
// mktime on the local fields; normalises overflowing fields (minute 70 and so on).
std::time_t fromLocal(const LocalTime& lt);
LocalTime localNow();
// strftime of a local time; the formats used are short.
std::string formatLocal(std::time_t t, const char* format);
inline std::string formatLocalNow(const char* format) {
    return formatLocal(Clock::instance().now(), format);
}

// Korea Standard Time (UTC+9, no daylight saving), whatever the machine's zone:
// the service schedules reservations and split slices in it. Log lines and file
// names stay in the machine's local time.
LocalTime toKorean(std::time_t t);
// Normalises overflowing fields as fromLocal does.
std::time_t fromKorean(const LocalTime& kt);
LocalTime koreanNow();
std::string formatKorean(std::time_t t, const char* format);
// Whether the machine's clock reads as Korea's at `t` (same offset from UTC).
bool localIsKorean(std::time_t t);

} // namespace qb
