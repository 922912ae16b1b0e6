#pragma once

#include <string_view>

// Whether a file's bytes are a whole JPEG stream, read from its markers alone
// (nothing is decoded): a start of image, a frame header with a size, at least
// one scan and an end of image after it. A decoder fills a picture that stops
// early with grey and calls it a success, so a truncated file is caught here.
// Bytes after the end of image are allowed (cameras append them).
namespace qb {

enum class JpegStatus {
    Complete,
    NotJpeg, // no start of image marker
    Damaged, // a marker or length out of place, no frame header, or no end of image
};

struct JpegInfo {
    JpegStatus status = JpegStatus::NotJpeg;
    int width = 0; // from the frame header; 0 unless Complete
    int height = 0;
};

JpegInfo checkJpeg(std::string_view bytes);

} // namespace qb
