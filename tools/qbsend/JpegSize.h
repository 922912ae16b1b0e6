#pragma once

#include <optional>
#include <string_view>

namespace qb {

struct PixelSize {
    int width = 0;
    int height = 0;
};

// Width and height from a JPEG's frame header (SOF); nullopt when the bytes are no
// JPEG or end before one.
std::optional<PixelSize> jpegSize(std::string_view bytes);

} // namespace qb
