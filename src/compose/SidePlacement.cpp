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

ScreenRect movedDownByOwnHeight(ScreenRect window, const ScreenRect& area) {
    window.y += window.height;
    return clampInto(window, area);
}

} // namespace qb
