#pragma once

#include <optional>

// The sizes the MMS windows are built from, in pixels: the picture slots and
// their thumbnails, the growing body under them, the picture viewer and the
// message box's preview columns.
namespace qb::mmslayout {

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

// A slot: the area a thumbnail is drawn into, three stacked above the body.
inline constexpr Size kSlot{173, 148};
inline constexpr int kBodyTop = 3 * kSlot.height; // 444
inline constexpr int kBodyWidth = 173;
inline constexpr int kBodyStartHeight = 560;   // the composition's body, 444 to 1004
inline constexpr int kPreviewBodyHeight = 556; // the message box's, 444 to 1000
inline constexpr int kPreviewExtent = 1000;

// A picture of w × h drawn into a slot from its top-left corner: never enlarged,
// shrunk to the slot's width or height, whichever keeps it inside (a picture
// wider than 1.169 : 1 goes by width).
Size fitThumbnail(int w, int h);

// The composition's body box for a text of `lines` lines: its starting height
// until the text needs more, then room for the text and two lines more. The
// scrolled area ends with the body.
int bodyHeight(int lines, int lineHeight);
inline int composeExtent(int lines, int lineHeight) {
    return kBodyTop + bodyHeight(lines, lineHeight);
}

// A preview column of the message box sized to its body: with no text the
// starting sizes, otherwise body and scrolled area both L lines + 460.
struct PreviewSizes {
    int bodyHeight = 0;
    int extent = 0; // the scrolled area's height
    bool operator==(const PreviewSizes&) const = default;
};
PreviewSizes previewSizes(int lines, int lineHeight);

// A picture of `picture` shown whole inside `area`: shrunk to it when larger,
// keeping its proportions, never enlarged.
Size fitInside(Size picture, Size area);

// The picture viewer's picture area: it opens at the picture's size shrunk to
// fit `room` (a part of the screen), and never smaller than `least`, which is
// also as small as the user may make it. A picture that did not load leaves it
// at `least`.
struct ViewerSizes {
    Size window;
    Size minimum;
    bool operator==(const ViewerSizes&) const = default;
};
ViewerSizes viewerSizes(Size least, std::optional<Size> picture, Size room);

} // namespace qb::mmslayout
