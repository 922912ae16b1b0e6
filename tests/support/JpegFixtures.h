#pragma once

#include <string>
#include <string_view>

// Small JPEG files made here with libjpeg, and the ways real files go wrong made
// from them byte by byte. No picture is taken from anywhere else.
namespace qb::test {

struct JpegLook {
    int width = 40;
    int height = 30;
    enum class Colour { Rgb, Gray, Cmyk } colour = Colour::Rgb;
    bool progressive = false;
    // Every pixel this colour (for CMYK the first three samples and a black of 255).
    unsigned char red = 200, green = 100, blue = 50;
};

std::string makeJpeg(const JpegLook& look = {});

// A start of image, a frame header claiming this size and an end of image: 23 bytes
// and no picture.
std::string frameHeaderOnly(int width, int height);
// The frame header's size fields rewritten, as a hostile file would claim.
std::string claimingSize(std::string jpeg, int width, int height);
// The frame header's sample precision rewritten (12: a 12-bit JPEG).
std::string withPrecision(std::string jpeg, int bits);
// `junk` put in before the first marker after the start of image's first segment,
// or before the end of image, as some editors and cameras leave stray bytes.
std::string withJunkBeforeSecondSegment(std::string jpeg, std::string_view junk);
std::string withJunkBeforeEnd(std::string jpeg, std::string_view junk);

} // namespace qb::test
