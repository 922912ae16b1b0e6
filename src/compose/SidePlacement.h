#pragma once

// Where the side windows of the send form go, in screen pixels: the editors
// beside the main window, the palettes near what opened them. Every window is
// then kept whole on the screen's available area when it fits there.
namespace qb {

struct ScreenRect {
    int x = 0, y = 0, width = 0, height = 0;
    int right() const { return x + width; } // one past the last column
    int bottom() const { return y + height; }
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// `window` moved into `area`: as little as it takes; a window larger than the
// area keeps its top-left corner inside it.
ScreenRect clampInto(ScreenRect window, const ScreenRect& area);

// An editor of the given frame size with its top-left corner at the main
// window's top-right corner (`right` is one past the frame's last column).
ScreenRect besideMainWindow(int right, int top, int width, int height, const ScreenRect& area);

// The LMS and MMS palettes beside their editor, covering none of it: to its
// right when the screen has room there, else to its left, else below or above
// it; on a screen too small for any, on the side with the most room.
ScreenRect besideEditor(const ScreenRect& editor, int width, int height, const ScreenRect& area);

} // namespace qb
