#include "common/Clock.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

using namespace qb;

TEST(Clock, ReplaceableAndRestorable) {
    const std::time_t t = fromLocal({2016, 9, 10, 9, 5, 7});
    Clock::setInstance(std::make_unique<FixedClock>(t));
    EXPECT_EQ(formatLocalNow("%Y%m%d%H%M%S"), "20160910090507");
    const LocalTime lt = localNow();
    EXPECT_EQ(lt.year, 2016);
    EXPECT_EQ(lt.second, 7);
    Clock::setInstance(nullptr);
    EXPECT_GT(Clock::instance().now(), t);
}

TEST(Clock, FromLocalNormalisesRollOver) {
    // 23:50 + 10 minutes on New Year's Eve is the next year's first minute
    const std::time_t t = fromLocal({2024, 12, 31, 23, 60, 0});
    EXPECT_EQ(formatLocal(t, "%Y-%m-%d %H:%M:%S"), "2025-01-01 00:00:00");
    const std::time_t leap = fromLocal({2024, 2, 28, 24, 0, 0});
    EXPECT_EQ(formatLocal(leap, "%Y-%m-%d"), "2024-02-29");
}

TEST(Clock, KoreanTimeWhateverTheMachinesZone) {
    for (const char* zone : test::kZones) {
        const test::ZoneAt at(zone);
        EXPECT_EQ(formatKorean(1733807100, "%Y-%m-%d %H:%M"), "2024-12-10 14:05") << zone; // 05:05 UTC
        EXPECT_EQ(localIsKorean(1733807100), std::string(zone) == "Asia/Seoul") << zone;
    }
}
