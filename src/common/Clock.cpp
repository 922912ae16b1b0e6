#include "common/Clock.h"

#include <atomic>

namespace qb {
namespace {
Clock g_systemClock;
std::unique_ptr<Clock> g_override;
std::atomic<const Clock*> g_current{&g_systemClock};
} // namespace

std::time_t Clock::now() const {
    return std::time(nullptr);
}

const Clock& Clock::instance() {
    return *g_current.load();
}

void Clock::setInstance(std::unique_ptr<Clock> clock) {
    g_current.store(clock ? clock.get() : &g_systemClock);
    g_override = std::move(clock);
}

namespace {

LocalTime fieldsOf(const std::tm& tm) {
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::tm tmOf(const LocalTime& lt) {
    std::tm tm{};
    tm.tm_year = lt.year - 1900;
    tm.tm_mon = lt.month - 1;
    tm.tm_mday = lt.day;
    tm.tm_hour = lt.hour;
    tm.tm_min = lt.minute;
    tm.tm_sec = lt.second;
    return tm;
}

} // namespace

LocalTime toLocal(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return fieldsOf(tm);
}

std::time_t fromLocal(const LocalTime& lt) {
    std::tm tm = tmOf(lt);
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

LocalTime localNow() {
    return toLocal(Clock::instance().now());
}

std::string formatLocal(std::time_t t, const char* format) {
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[128];
    const std::size_t n = std::strftime(buf, sizeof buf, format, &tm);
    return std::string(buf, n);
}

namespace {
constexpr std::time_t kKoreaOffset = 9 * 60 * 60;
} // namespace

LocalTime toKorean(std::time_t t) {
    const std::time_t shifted = t + kKoreaOffset;
    std::tm tm{};
    gmtime_r(&shifted, &tm);
    return fieldsOf(tm);
}

std::time_t fromKorean(const LocalTime& kt) {
    std::tm tm = tmOf(kt);
    return timegm(&tm) - kKoreaOffset;
}

LocalTime koreanNow() {
    return toKorean(Clock::instance().now());
}

std::string formatKorean(std::time_t t, const char* format) {
    const std::time_t shifted = t + kKoreaOffset;
    std::tm tm{};
    gmtime_r(&shifted, &tm);
    char buf[128];
    const std::size_t n = std::strftime(buf, sizeof buf, format, &tm);
    return std::string(buf, n);
}

bool localIsKorean(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm.tm_gmtoff == kKoreaOffset;
}

} // namespace qb
