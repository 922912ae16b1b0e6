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

// The palette never covers the editor whose body it writes into.
TEST(SidePlacement, APaletteGoesBesideItsEditor) {
    const ScreenRect laptop{0, 0, 1366, 740};
    const struct Case {
        const char* name;
        ScreenRect editor;
        ScreenRect area;
        ScreenRect palette;
    } cases[] = {
        {"right", {750, 0, 300, 700}, laptop, {1050, 0, 250, 212}},
        {"right, kept on the screen", {750, 600, 300, 140}, laptop, {1050, 528, 250, 212}},
        {"left", {750, 0, 420, 700}, laptop, {500, 0, 250, 212}},
        {"left at the screen's edge", {250, 0, 1116, 700}, laptop, {0, 0, 250, 212}},
        {"below", {100, 0, 1200, 500}, laptop, {100, 500, 250, 212}},
        {"above", {100, 300, 1200, 440}, laptop, {100, 88, 250, 212}},
        {"no room: the widest side", {150, 100, 1116, 600}, laptop, {0, 100, 250, 212}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(besideEditor(c.editor, 250, 212, c.area), c.palette) << c.name;
}

} // namespace
} // namespace qb
