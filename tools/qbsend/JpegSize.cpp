#include "JpegSize.h"

namespace qb {

std::optional<PixelSize> jpegSize(std::string_view b) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(b[i]); };
    if (b.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return std::nullopt;
    std::size_t i = 2;
    while (i + 1 < b.size()) {
        if (byte(i) != 0xFF)
            return std::nullopt;
        while (i < b.size() && byte(i) == 0xFF) // fill bytes
            ++i;
        if (i >= b.size())
            return std::nullopt;
        const unsigned marker = byte(i++);
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            continue; // no length
        if (marker == 0xD9 || marker == 0xDA)
            return std::nullopt; // image data before any frame header
        if (i + 2 > b.size())
            return std::nullopt;
        const std::size_t length = (static_cast<std::size_t>(byte(i)) << 8) | byte(i + 1);
        if (length < 2)
            return std::nullopt;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 7 || i + 7 > b.size())
                return std::nullopt;
            const int height = (byte(i + 3) << 8) | byte(i + 4);
            const int width = (byte(i + 5) << 8) | byte(i + 6);
            if (width == 0 || height == 0)
                return std::nullopt;
            return PixelSize{width, height};
        }
        i += length;
    }
    return std::nullopt;
}

} // namespace qb
