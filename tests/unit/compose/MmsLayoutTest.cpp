#include "compose/MmsLayout.h"

#include <gtest/gtest.h>

namespace qb::mmslayout {

void PrintTo(const Size& s, std::ostream* os) {
    *os << s.width << " x " << s.height;
}

namespace {

TEST(MmsLayout, ThumbnailsFitTheSlotWithoutGrowing) {
    struct Case {
        Size picture, drawn;
    };
    const std::vector<Case> cases{
        {{346, 296}, {173, 148}}, // 1.1689 : 1 goes by height, exactly the slot
        {{400, 200}, {173, 86}},    {{100, 300}, {49, 148}},  {{100, 100}, {100, 100}},
        {{173, 148}, {173, 148}},   {{174, 148}, {173, 147}}, {{173, 149}, {171, 148}},
        {{1169, 1000}, {173, 147}}, // 1.169 : 1 goes by width
        {{1168, 1000}, {172, 148}}, {{1, 30000}, {0, 148}},   {{30000, 1}, {173, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fitThumbnail(c.picture.width, c.picture.height), c.drawn)
            << c.picture.width << " x " << c.picture.height;
}

TEST(MmsLayout, TheBodyAndThePreviewsGrowWithTheirLines) {
    // 16-pixel lines: the body starts at 560 and grows from the 34th line; the
    // scrolled area and the preview columns end with it.
    const struct {
        int lines, body, extent;
        PreviewSizes preview;
    } cases[] = {
        {0, 560, 1004, {560, 1004}},   {1, 560, 1004, {476, 476}},      {33, 560, 1004, {988, 988}},
        {34, 576, 1020, {1004, 1004}}, {100, 1632, 2076, {2060, 2060}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bodyHeight(c.lines, 16), c.body) << c.lines;
        EXPECT_EQ(composeExtent(c.lines, 16), c.extent) << c.lines;
        EXPECT_EQ(previewSizes(c.lines, 16), c.preview) << c.lines;
    }
    EXPECT_EQ(bodyHeight(34, 22), 792);
}

TEST(MmsLayout, TheViewerFitsALargePictureWholeAndNeverEnlargesASmallOne) {
    const Size least{308, 205}, room{1180, 620};
    struct Case {
        std::optional<Size> picture;
        Size shown; // inside the room
        Size window;
    };
    const std::vector<Case> cases{
        {Size{100, 80}, {100, 80}, least},
        {Size{1000, 600}, {1000, 600}, {1000, 600}},  // fits as it is
        {Size{1600, 1200}, {826, 620}, {826, 620}},   // taller in proportion than the room
        {Size{4000, 1000}, {1180, 295}, {1180, 295}}, // wider
        {Size{1180, 621}, {1178, 620}, {1178, 620}},  // one pixel too tall
        {Size{5000, 20}, {1180, 4}, {1180, 205}},     // a strip keeps the least height
        {Size{100000, 1}, {1180, 1}, {1180, 205}},
        {std::nullopt, least, least},
    };
    for (const Case& c : cases) {
        if (c.picture) {
            EXPECT_EQ(fitInside(*c.picture, room), c.shown) << c.picture->width;
        }
        EXPECT_EQ(viewerSizes(least, c.picture, room), (ViewerSizes{c.window, least}));
    }
}

} // namespace
} // namespace qb::mmslayout
