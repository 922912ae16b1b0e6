#include "support/JpegFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

namespace qb::test {
namespace {

// Offset of the first frame header marker (FF Cn), or npos.
std::size_t frameHeader(const std::string& b) {
    for (std::size_t i = 2; i + 4 < b.size();) {
        const auto marker = static_cast<unsigned char>(b[i + 1]);
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2)
            return i;
        i += 2 + ((static_cast<unsigned char>(b[i + 2]) << 8) | static_cast<unsigned char>(b[i + 3]));
    }
    return std::string::npos;
}

} // namespace

std::string makeJpeg(const JpegLook& look) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = static_cast<JDIMENSION>(look.width);
    cinfo.image_height = static_cast<JDIMENSION>(look.height);
    std::vector<unsigned char> pixel;
    switch (look.colour) {
    case JpegLook::Colour::Rgb:
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
        pixel = {look.red, look.green, look.blue};
        break;
    case JpegLook::Colour::Gray:
        cinfo.input_components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
        pixel = {look.green};
        break;
    case JpegLook::Colour::Cmyk:
        cinfo.input_components = 4;
        cinfo.in_color_space = JCS_CMYK;
        pixel = {look.red, look.green, look.blue, 255};
        break;
    }
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    if (look.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row;
    for (int x = 0; x < look.width; ++x)
        row.insert(row.end(), pixel.begin(), pixel.end());
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(out), outSize);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return bytes;
}

std::string frameHeaderOnly(int width, int height) {
    using namespace std::string_literals;
    const std::string jpeg =
        "\xFF\xD8\xFF\xC0\x00\x11\x08\x00\x01\x00\x01\x03\x01\x11\x00\x02\x11\x01\x03\x11\x01\xFF\xD9"s;
    return claimingSize(jpeg, width, height);
}

std::string claimingSize(std::string jpeg, int width, int height) {
    const std::size_t sof = frameHeader(jpeg);
    if (sof == std::string::npos) {
        ADD_FAILURE() << "no frame header";
        return jpeg;
    }
    jpeg[sof + 5] = static_cast<char>(height >> 8);
    jpeg[sof + 6] = static_cast<char>(height & 0xFF);
    jpeg[sof + 7] = static_cast<char>(width >> 8);
    jpeg[sof + 8] = static_cast<char>(width & 0xFF);
    return jpeg;
}

std::string withPrecision(std::string jpeg, int bits) {
    const std::size_t sof = frameHeader(jpeg);
    if (sof == std::string::npos) {
        ADD_FAILURE() << "no frame header";
        return jpeg;
    }
    jpeg[sof + 4] = static_cast<char>(bits);
    return jpeg;
}

std::string withJunkBeforeSecondSegment(std::string jpeg, std::string_view junk) {
    const std::size_t first = 2; // the segment after the start of image
    const std::size_t length =
        (static_cast<unsigned char>(jpeg[first + 2]) << 8) | static_cast<unsigned char>(jpeg[first + 3]);
    jpeg.insert(first + 2 + length, junk);
    return jpeg;
}

std::string withJunkBeforeEnd(std::string jpeg, std::string_view junk) {
    jpeg.insert(jpeg.size() - 2, junk);
    return jpeg;
}

} // namespace qb::test
