#include "common/PictureCheck.h"

#include "support/JpegFixtures.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace qb {
namespace {

using namespace std::string_literals;
using test::JpegLook;
using test::makeJpeg;

struct Case {
    const char* what;
    std::string bytes;
    PictureStatus status;
    int width = 0, height = 0;
};

TEST(PictureCheck, TakesWhatLibjpegDecodesWholeAndRefusesTheRest) {
    const std::string baseline = makeJpeg();
    const std::string big = makeJpeg({.width = 128, .height = 128});
    const std::vector<Case> cases{
        {"baseline", baseline, PictureStatus::Ok, 40, 30},
        {"progressive", makeJpeg({.width = 300, .height = 200, .progressive = true}), PictureStatus::Ok, 300,
         200},
        {"grey", makeJpeg({.colour = JpegLook::Colour::Gray}), PictureStatus::Ok, 40, 30},
        {"cmyk", makeJpeg({.colour = JpegLook::Colour::Cmyk}), PictureStatus::Ok, 40, 30},
        {"stray bytes before a marker", test::withJunkBeforeSecondSegment(baseline, "abc"), PictureStatus::Ok,
         40, 30},
        {"stray bytes before the end", test::withJunkBeforeEnd(baseline, "\x00\x01\x02"s), PictureStatus::Ok,
         40, 30},
        {"bytes after the end", baseline + std::string(100, '\0'), PictureStatus::Ok, 40, 30},
        {"empty", "", PictureStatus::NotJpeg},
        {"text", "hello", PictureStatus::NotJpeg},
        {"png", "\x89PNG\r\n\x1A\n rest"s, PictureStatus::NotJpeg},
        {"12-bit", test::withPrecision(baseline, 12), PictureStatus::Unsupported},
        {"cut in half", baseline.substr(0, baseline.size() / 2), PictureStatus::Damaged},
        {"without its end", baseline.substr(0, baseline.size() - 2), PictureStatus::Damaged},
        {"4000 x 4000 claimed, 128 x 128 held", test::claimingSize(big, 4000, 4000), PictureStatus::Damaged},
        {"5000 x 5000 claimed", test::claimingSize(big, 5000, 5000), PictureStatus::TooLarge},
        {"65500 x 65500 claimed", test::claimingSize(big, 65500, 65500), PictureStatus::TooLarge},
        {"a header and nothing else", test::frameHeaderOnly(65535, 65535), PictureStatus::Damaged},
        {"no width", test::claimingSize(baseline, 0, 30), PictureStatus::Damaged},
    };
    for (const Case& c : cases) {
        PicturePixels pixels;
        const PictureInfo info = checkPictureBytes(c.bytes, &pixels);
        EXPECT_EQ(info.status, c.status) << c.what;
        EXPECT_EQ(info.width, c.width) << c.what;
        EXPECT_EQ(info.height, c.height) << c.what;
        EXPECT_EQ(pixels.rgb.size(), static_cast<std::size_t>(c.width * c.height * 3)) << c.what;
        EXPECT_EQ(info.fingerprint.bytes, c.status == PictureStatus::Ok ? c.bytes.size() : 0u) << c.what;
    }
}

TEST(PictureCheck, EveryCutShortOfTheEndIsRefused) {
    for (const std::string& bytes : {makeJpeg(), makeJpeg({.progressive = true})})
        for (std::size_t n = 0; n < bytes.size(); ++n)
            ASSERT_NE(checkPictureBytes(bytes.substr(0, n)).status, PictureStatus::Ok) << "cut at " << n;
}

TEST(PictureCheck, PixelsAreTheColoursOfTheFile) {
    for (const JpegLook::Colour colour : {JpegLook::Colour::Rgb, JpegLook::Colour::Gray}) {
        PicturePixels pixels;
        ASSERT_EQ(checkPictureBytes(makeJpeg({.colour = colour}), &pixels).status, PictureStatus::Ok);
        const bool grey = colour == JpegLook::Colour::Gray;
        const int want[3] = {grey ? 100 : 200, 100, grey ? 100 : 50};
        for (std::size_t at : {std::size_t{0}, pixels.rgb.size() - 3}) // first and last pixel
            for (std::size_t c = 0; c < 3; ++c)
                EXPECT_NEAR(pixels.rgb[at + c], want[c], 3) << at << " " << c;
    }
}

TEST(PictureCheck, FilesAreReadOnceAndNeverPastTheLimit) {
    test::TempDir dir;
    const std::string jpeg = makeJpeg();
    const std::string fifo = dir.file("fifo.jpg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A sparse file: its size is refused before anything is read.
    const std::string huge = dir.write("huge.jpg", jpeg);
    ASSERT_EQ(::truncate(huge.c_str(), 200LL * 1024 * 1024), 0);
    const std::vector<std::pair<std::string, PictureStatus>> cases{
        {"", PictureStatus::Missing},
        {dir.file("none.jpg"), PictureStatus::Missing},
        {dir.mkdir("folder.jpg"), PictureStatus::Missing},
        {fifo, PictureStatus::Missing},
        {"/dev/zero", PictureStatus::Missing},
        {dir.write("limit.jpg", jpeg + std::string(kMaxPictureFileBytes - jpeg.size(), '\0')),
         PictureStatus::Ok},
        {dir.write("over.jpg", jpeg + std::string(kMaxPictureFileBytes - jpeg.size() + 1, '\0')),
         PictureStatus::TooLarge},
        {huge, PictureStatus::TooLarge},
    };
    for (const auto& [path, status] : cases)
        EXPECT_EQ(checkPicture(path).status, status) << path;
}

TEST(PictureCheck, TheUploadTakesOnlyThePicturesThatWereChecked) {
    test::TempDir dir;
    // Both padded after their end to the same size: same size and dimensions, other pixels.
    auto padded = [](std::string b) {
        b.resize(2000, '\0');
        return b;
    };
    const std::string jpeg = padded(makeJpeg());
    const std::string sameSize = padded(makeJpeg({.red = 10}));
    struct Change {
        const char* what;
        std::function<void(const std::string&)> change;
        const char* message; // nullptr: the upload may go on
    };
    const std::vector<Change> changes{
        {"untouched", [](const std::string&) {}, nullptr},
        {"written again unchanged",
         [&](const std::string& p) { dir.write(p.substr(p.rfind('/') + 1), jpeg); }, nullptr},
        {"other pixels", [&](const std::string& p) { dir.write(p.substr(p.rfind('/') + 1), sameSize); },
         "그림을 고른 뒤에 그림파일이 바뀌었습니다. 그림을 다시 선택해 주세요."},
        {"a bigger picture",
         [&](const std::string& p) { dir.write(p.substr(p.rfind('/') + 1), makeJpeg({.width = 41})); },
         "그림을 고른 뒤에 그림파일이 바뀌었습니다. 그림을 다시 선택해 주세요."},
        {"a png", [&](const std::string& p) { dir.write(p.substr(p.rfind('/') + 1), "\x89PNG\r\n\x1A\n"); },
         "JPG 그림파일이 아닙니다.!"},
        {"gone", [](const std::string& p) { std::filesystem::remove(p); }, "화일경로가 존재하지 않습니다."},
    };
    for (const Change& c : changes) {
        PictureSlots slots;
        for (int k = 0; k < 2; ++k) {
            const std::string path = dir.write("p" + std::to_string(k) + ".jpg", jpeg);
            PictureInfo info = checkPicture(path);
            slots[static_cast<std::size_t>(k)] = {path, info.width, info.height, info.fingerprint};
        }
        c.change(slots[1].path);
        test::RecordingNotifier notifier;
        EXPECT_EQ(picturesUnchanged(slots, notifier), c.message == nullptr) << c.what;
        if (c.message)
            EXPECT_EQ(notifier.texts(), std::vector<std::string>{slots[1].path + "\n" + c.message}) << c.what;
        else
            EXPECT_TRUE(notifier.shown().empty()) << c.what;
    }
}

} // namespace
} // namespace qb
