#include "compose/JpegCheck.h"

#include <cstddef>

namespace qb {
namespace {

bool isFrameHeader(unsigned marker) {
    // SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool standsAlone(unsigned marker) {
    return (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01; // RSTn, TEM
}

} // namespace

JpegInfo checkJpeg(std::string_view b) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(b[i]); };
    JpegInfo info;
    if (b.size() < 2 || byte(0) != 0xFF || byte(1) != 0xD8)
        return info;
    info.status = JpegStatus::Damaged;
    int width = 0, height = 0;
    bool scanned = false;
    std::size_t i = 2;
    while (i < b.size()) {
        if (byte(i) != 0xFF)
            return info;
        while (i < b.size() && byte(i) == 0xFF) // fill bytes
            ++i;
        if (i >= b.size())
            return info;
        const unsigned marker = byte(i++);
        if (marker == 0xD9) {
            if (!scanned || width == 0)
                return info;
            return {JpegStatus::Complete, width, height};
        }
        if (standsAlone(marker))
            continue;
        if (marker == 0x00 || marker == 0xD8)
            return info;
        if (i + 2 > b.size())
            return info;
        const std::size_t length = (static_cast<std::size_t>(byte(i)) << 8) | byte(i + 1);
        if (length < 2 || i + length > b.size())
            return info;
        if (isFrameHeader(marker)) {
            if (length < 7 || width != 0)
                return info;
            height = (byte(i + 3) << 8) | byte(i + 4);
            width = (byte(i + 5) << 8) | byte(i + 6);
            if (width == 0 || height == 0)
                return info;
        }
        i += length;
        if (marker != 0xDA)
            continue;
        if (width == 0)
            return info; // a scan before any frame header
        scanned = true;
        // Entropy-coded data: a 0xFF in it is followed by 0x00 (a stuffed byte) or
        // a restart marker; anything else is the next marker.
        while (i + 1 < b.size()) {
            if (byte(i) == 0xFF) {
                const unsigned next = byte(i + 1);
                if (next != 0x00 && !(next >= 0xD0 && next <= 0xD7) && next != 0xFF)
                    break;
                if (next == 0xFF) { // fill before a marker
                    ++i;
                    continue;
                }
            }
            ++i;
        }
        if (i + 1 >= b.size())
            return info; // the data stops before an end of image
    }
    return info;
}

} // namespace qb
