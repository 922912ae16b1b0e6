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
    const std::time_t t = 1733807100; // 2024-12-10 05:05:00 UTC
    for (const char* zone : test::kZones) {
        test::ZoneAt at(zone);
        EXPECT_EQ(formatKorean(t, "%Y-%m-%d %H:%M:%S"), "2024-12-10 14:05:00") << zone;
        EXPECT_EQ(fromKorean({2024, 12, 10, 14, 5, 0}), t) << zone;
        EXPECT_EQ(fromKorean({2024, 12, 10, 13, 65, 0}), t) << zone;
        EXPECT_EQ(toKorean(t).hour, 14) << zone;
        EXPECT_EQ(localIsKorean(t), std::string(zone) == "Asia/Seoul") << zone;
    }
}
