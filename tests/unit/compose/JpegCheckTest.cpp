#include "compose/JpegCheck.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

std::string fixture(const char* name) {
    return test::readFile(test::dataPath(std::string("compose/") + name));
}

// The frame header's size fields rewritten, as a hostile file would claim.
std::string claimingSize(std::string bytes, int width, int height) {
    for (std::size_t i = 2; i + 9 < bytes.size();) {
        const auto marker = static_cast<unsigned char>(bytes[i + 1]);
        const std::size_t length =
            (static_cast<unsigned char>(bytes[i + 2]) << 8) | static_cast<unsigned char>(bytes[i + 3]);
        if (marker == 0xC0 || marker == 0xC2) {
            bytes[i + 5] = static_cast<char>(height >> 8);
            bytes[i + 6] = static_cast<char>(height & 0xFF);
            bytes[i + 7] = static_cast<char>(width >> 8);
            bytes[i + 8] = static_cast<char>(width & 0xFF);
            return bytes;
        }
        i += 2 + length;
    }
    ADD_FAILURE() << "no frame header";
    return bytes;
}

TEST(JpegCheck, WholeStreamsGiveTheirFrameSize) {
    for (const char* name : {"baseline.jpg", "progressive.jpg"}) {
        const JpegInfo info = checkJpeg(fixture(name));
        EXPECT_EQ(info.status, JpegStatus::Complete) << name;
        EXPECT_EQ(info.width, 40) << name;
        EXPECT_EQ(info.height, 30) << name;
        // Bytes after the end of image do not matter.
        EXPECT_EQ(checkJpeg(fixture(name) + std::string(100, '\0')).status, JpegStatus::Complete) << name;
    }
    // The size is read, not believed or limited here: the decoder's limit refuses it.
    const JpegInfo huge = checkJpeg(claimingSize(fixture("baseline.jpg"), 30000, 30000));
    EXPECT_EQ(huge.status, JpegStatus::Complete);
    EXPECT_EQ(huge.width, 30000);
    EXPECT_EQ(huge.height, 30000);
}

TEST(JpegCheck, EveryCutShortOfTheEndIsDamaged) {
    for (const char* name : {"baseline.jpg", "progressive.jpg"}) {
        const std::string bytes = fixture(name);
        for (std::size_t n = 2; n < bytes.size(); ++n)
            ASSERT_EQ(checkJpeg(bytes.substr(0, n)).status, JpegStatus::Damaged) << name << " cut at " << n;
    }
}

TEST(JpegCheck, OtherBytesAreNoJpegOrDamaged) {
    using namespace std::string_literals;
    const std::string soi = "\xFF\xD8"s;
    const std::vector<std::pair<std::string, JpegStatus>> cases{
        {"", JpegStatus::NotJpeg},
        {"\xFF", JpegStatus::NotJpeg},
        {"hello", JpegStatus::NotJpeg},
        {"\x89PNG\r\n\x1A\n"s, JpegStatus::NotJpeg},
        {"GIF89a", JpegStatus::NotJpeg},
        {soi + "\xFF\xD9", JpegStatus::Damaged},                      // no frame, no scan
        {soi + "x\xFF\xD9", JpegStatus::Damaged},                     // a byte where a marker belongs
        {soi + "\xFF\xE0\x00\x01\xFF\xD9"s, JpegStatus::Damaged},     // length below 2
        {soi + "\xFF\xE0\x00\x40"s, JpegStatus::Damaged},             // length past the end
        {soi + "\xFF\xDA\x00\x02\x00\xFF\xD9"s, JpegStatus::Damaged}, // a scan before the frame
        {claimingSize(fixture("baseline.jpg"), 0, 30), JpegStatus::Damaged},
    };
    for (const auto& [bytes, status] : cases)
        EXPECT_EQ(checkJpeg(bytes).status, status) << testing::PrintToString(bytes);
}

} // namespace
} // namespace qb
