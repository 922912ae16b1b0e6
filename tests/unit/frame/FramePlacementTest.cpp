#include "frame/FramePlacement.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace qb;

TEST(FramePlacement, OpensWholeOnTheScreenThatShowsMostOfItElseCentred) {
    // A desktop with a 40-pixel panel, and a laptop screen to its right.
    const std::vector<ScreenRect> screens{{0, 0, 1280, 984}, {1280, 0, 1366, 728}};
    const FrameMargins frame{1, 30, 1, 1};
    struct Row {
        std::optional<ScreenRect> saved;
        std::size_t primary;
        ScreenRect opens;
    };
    const Row rows[] = {
        {std::nullopt, 0, {265, 81, 750, 850}},                     // first start: centred
        {std::nullopt, 1, {1588, 30, 750, 697}},                    // a short primary screen
        {ScreenRect{100, 200, 900, 700}, 0, {100, 200, 900, 700}},  // as it was
        {ScreenRect{800, 100, 900, 700}, 0, {379, 100, 900, 700}},  // across both, mostly on the desktop
        {ScreenRect{1400, 10, 800, 900}, 0, {1400, 30, 800, 697}},  // taller than the laptop
        {ScreenRect{3000, 100, 800, 700}, 0, {240, 156, 800, 700}}, // its screen is gone
        {ScreenRect{-740, 200, 800, 700}, 0, {240, 156, 800, 700}}, // 61 pixels showing
        {ScreenRect{-701, 200, 800, 700}, 0, {1, 200, 800, 700}},   // 100 pixels showing
        {ScreenRect{100, 100, 400, 300}, 0, {100, 100, 750, 640}},  // below the least size
    };
    for (const Row& r : rows)
        EXPECT_EQ(restoredPlace(r.saved, screens, r.primary, {750, 850}, {750, 640}, frame), r.opens)
            << (r.saved ? r.saved->x : -1);
}

TEST(FramePlacement, KeptInEnvCfgBesideTheLogin) {
    test::TempDir dir;
    const std::string env = dir.write("Env.cfg", "[LOGIN]\r\nID=user01\r\n");
    const FramePlacement kept{{-20, 40, 1200, 700}, true};
    ASSERT_TRUE(kept.write(env));
    EXPECT_EQ(FramePlacement::read(env), kept);
    EXPECT_NE(test::readFile(env).find("ID=user01"), std::string::npos);

    const std::optional<FramePlacement> plain = FramePlacement{{1, 2, 800, 600}, false};
    const std::pair<const char*, std::optional<FramePlacement>> files[] = {
        {"LEFT=1\r\nTOP=2\r\nWIDTH=800\r\nHEIGHT=600\r\n", plain}, // not maximised
        {"LEFT=1\r\nTOP=2\r\nWIDTH=800\r\n", std::nullopt},
        {"LEFT=1\r\nTOP=2\r\nWIDTH=800px\r\nHEIGHT=600\r\n", std::nullopt},
        {"LEFT=1\r\nTOP=2\r\nWIDTH=0\r\nHEIGHT=600\r\n", std::nullopt},
    };
    for (const auto& [keys, read] : files) {
        dir.write("Env.cfg", std::string("[WINDOW]\r\n") + keys);
        EXPECT_EQ(FramePlacement::read(env), read) << keys;
    }
}
