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

TEST(MmsLayout, TheBodyGrowsWithItsLinesAndTheScrolledAreaEndsWithIt) {
    // 16-pixel lines: the body starts at 560 and grows from the 34th line.
    const std::vector<std::pair<int, int>> heights{{0, 560}, {33, 560}, {34, 576}, {100, 1632}};
    for (const auto& [lines, height] : heights) {
        EXPECT_EQ(bodyHeight(lines, 16), height) << lines;
        EXPECT_EQ(composeExtent(lines, 16), lines >= 34 ? lines * 16 + 476 : 1004) << lines;
    }
    EXPECT_EQ(bodyHeight(34, 22), 792);
}

TEST(MmsLayout, PreviewColumnsAreSizedToTheirBody) {
    EXPECT_EQ(previewSizes(0, 16), (PreviewSizes{560, 1004}));
    EXPECT_EQ(previewSizes(1, 16), (PreviewSizes{476, 476}));
    EXPECT_EQ(previewSizes(40, 16), (PreviewSizes{40 * 16 + 460, 40 * 16 + 460}));
}

TEST(MmsLayout, TheViewerOpensAtItsSizeOrTwiceItForALargePicture) {
    const Size client{300, 200}, bars{17, 17};
    struct Case {
        std::optional<Size> picture;
        ViewerSizes sizes;
    };
    const std::vector<Case> cases{
        {Size{100, 80}, {{300, 200}, {300, 200}, {300, 200}}},
        {Size{1000, 900}, {{600, 400}, {300, 200}, {1017, 917}}},
        {Size{1000, 300}, {{300, 200}, {300, 200}, {1017, 317}}}, // one direction only
        {Size{601, 401}, {{600, 400}, {300, 200}, {618, 418}}},
        {Size{600, 401}, {{300, 200}, {300, 200}, {617, 418}}},
        {std::nullopt, {{300, 200}, {300, 200}, {300, 200}}},
    };
    for (const Case& c : cases) {
        const ViewerSizes v = viewerSizes(client, c.picture, bars);
        EXPECT_EQ(v.window, c.sizes.window);
        EXPECT_EQ(v.minimum, c.sizes.minimum);
        EXPECT_EQ(v.maximum, c.sizes.maximum);
    }
}

} // namespace
} // namespace qb::mmslayout
