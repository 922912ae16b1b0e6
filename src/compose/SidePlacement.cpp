#include "compose/SidePlacement.h"

#include <algorithm>

namespace qb {

ScreenRect clampInto(ScreenRect window, const ScreenRect& area) {
    window.x = std::max(area.x, std::min(window.x, area.right() - window.width));
    window.y = std::max(area.y, std::min(window.y, area.bottom() - window.height));
    return window;
}

ScreenRect besideMainWindow(int right, int top, int width, int height, const ScreenRect& area) {
    return clampInto({right, top, width, height}, area);
}

ScreenRect besideEditor(const ScreenRect& editor, int width, int height, const ScreenRect& area) {
    const int right = area.right() - editor.right();
    const int left = editor.x - area.x;
    const int below = area.bottom() - editor.bottom();
    const int above = editor.y - area.y;
    if (right >= width)
        return clampInto({editor.right(), editor.y, width, height}, area);
    if (left >= width)
        return clampInto({editor.x - width, editor.y, width, height}, area);
    if (below >= height)
        return clampInto({editor.x, editor.bottom(), width, height}, area);
    if (above >= height)
        return clampInto({editor.x, editor.y - height, width, height}, area);
    const int most = std::max({right, left, below, above});
    ScreenRect r{editor.x, editor.y, width, height};
    if (most == right)
        r.x = editor.right();
    else if (most == left)
        r.x = editor.x - width;
    else if (most == below)
        r.y = editor.bottom();
    else
        r.y = editor.y - height;
    return clampInto(r, area);
}

} // namespace qb
