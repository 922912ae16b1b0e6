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

ViewerSizes viewerSizes(Size client, std::optional<Size> picture, Size scrollBars) {
    if (!picture)
        return {client, client, client};
    const bool doubled = picture->width > 2 * client.width && picture->height > 2 * client.height;
    const Size window = doubled ? Size{2 * client.width, 2 * client.height} : client;
    const Size maximum{std::max(client.width, picture->width + scrollBars.width),
                       std::max(client.height, picture->height + scrollBars.height)};
    return {window, client, maximum};
}

} // namespace qb::mmslayout
