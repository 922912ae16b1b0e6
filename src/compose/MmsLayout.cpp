#include "compose/MmsLayout.h"

#include <algorithm>

namespace qb::mmslayout {

Size fitThumbnail(int w, int h) {
    const double W = kSlot.width, H = kSlot.height;
    // Fractions in floating point, truncated toward zero.
    auto byWidth = [&] { return Size{kSlot.width, static_cast<int>(W / w * h)}; };
    auto byHeight = [&] { return Size{static_cast<int>(H / h * w), kSlot.height}; };
    if (w <= kSlot.width && h <= kSlot.height)
        return {w, h};
    if (w <= kSlot.width)
        return byHeight();
    if (h <= kSlot.height)
        return byWidth();
    return static_cast<double>(w) / h >= 1.169 ? byWidth() : byHeight();
}

int bodyHeight(int lines, int lineHeight) {
    return std::max(kBodyStartHeight, (lines + 2) * lineHeight);
}

PreviewSizes previewSizes(int lines, int lineHeight) {
    if (lines <= 0)
        return {kBodyStartHeight, kBodyTop + kBodyStartHeight};
    // The body is as tall as the scrolled area: its text, which starts at
    // kBodyTop, always ends inside it.
    const int size = lines * lineHeight + 460;
    return {size, size};
}

Size fitInside(Size picture, Size area) {
    if (picture.width <= area.width && picture.height <= area.height)
        return picture;
    const long long w = picture.width, h = picture.height;
    // The side that meets the area's edge first takes its length; the other is
    // cut down to a whole pixel.
    if (w * area.height >= h * area.width)
        return {area.width, std::max(1, static_cast<int>(h * area.width / w))};
    return {std::max(1, static_cast<int>(w * area.height / h)), area.height};
}

ViewerSizes viewerSizes(Size least, std::optional<Size> picture, Size room) {
    if (!picture)
        return {least, least};
    const Size shown = fitInside(*picture, room);
    return {{std::max(least.width, shown.width), std::max(least.height, shown.height)}, least};
}

} // namespace qb::mmslayout
