#include "compose/SidePlacement.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

const ScreenRect kScreen{0, 0, 1280, 1024};

TEST(SidePlacement, AnEditorBesideTheMainWindowStaysOnTheScreen) {
    const struct {
        const char* what;
        int right, top, width, height;
        ScreenRect expected;
    } cases[] = {
        {"room to the right", 750, 0, 270, 560, {750, 0, 270, 560}},
        {"beside a centred 750-pixel frame", 1015, 87, 270, 560, {1010, 87, 270, 560}},
        {"frame at the right edge", 1280, 100, 270, 560, {1010, 100, 270, 560}},
        {"frame low on the screen", 600, 700, 270, 560, {600, 464, 270, 560}},
        {"frame off the top-left", -40, -30, 270, 560, {0, 0, 270, 560}},
        {"taller than the screen", 100, 200, 270, 1200, {100, 0, 270, 1200}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(besideMainWindow(c.right, c.top, c.width, c.height, kScreen), c.expected) << c.what;

    // A screen whose available area starts below a panel.
    EXPECT_EQ(besideMainWindow(900, 0, 270, 560, {0, 28, 1280, 996}), (ScreenRect{900, 28, 270, 560}));
}

TEST(SidePlacement, APaletteMovesDownByItsOwnHeightAsFarAsTheScreenAllows) {
    EXPECT_EQ(movedDownByOwnHeight({1010, 400, 250, 212}, kScreen), (ScreenRect{1010, 612, 250, 212}));
    EXPECT_EQ(movedDownByOwnHeight({1010, 700, 250, 212}, kScreen), (ScreenRect{1010, 812, 250, 212}));
    EXPECT_EQ(clampInto({1200, 10, 250, 212}, kScreen), (ScreenRect{1030, 10, 250, 212}));
}

} // namespace
} // namespace qb
