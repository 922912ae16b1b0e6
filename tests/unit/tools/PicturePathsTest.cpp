// The MMS window and qbsend judge a picture with the same check: what one takes
// the other takes, and a refusal says the same.
#include "DryRun.h"
#include "compose/MmsPictures.h"
#include "support/JpegFixtures.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <unistd.h>

namespace qb {
namespace {

using test::makeJpeg;

TEST(PicturePaths, TheClientAndQbsendTakeAndRefuseTheSamePictures) {
    test::TempDir dir;
    const std::string numbers = dir.write("numbers.txt", "01011112222\n");
    const std::string baseline = makeJpeg();
    const std::string square = makeJpeg({.width = 128, .height = 128});
    struct Case {
        const char* name;
        std::string bytes;
        const char* message; // nullptr: taken
    };
    const std::vector<Case> cases{
        {"baseline.jpg", baseline, nullptr},
        {"progressive.jpg", makeJpeg({.width = 300, .height = 200, .progressive = true}), nullptr},
        {"stray.jpg", test::withJunkBeforeSecondSegment(baseline, "xyz"), nullptr},
        {"grey.jpg", makeJpeg({.colour = test::JpegLook::Colour::Gray}), nullptr},
        {"cut.jpg", baseline.substr(0, baseline.size() - 40), "손상된 그림파일 입니다.!"},
        {"header.jpg", test::frameHeaderOnly(65535, 65535), "손상된 그림파일 입니다.!"},
        {"claims65500.jpg", test::claimingSize(square, 65500, 65500), "그림파일이 너무 큽니다.!"},
        {"claims5000.jpg", test::claimingSize(square, 5000, 5000), "그림파일이 너무 큽니다.!"},
        {"claims4000.jpg", test::claimingSize(square, 4000, 4000), "손상된 그림파일 입니다.!"},
        {"12bit.jpg", test::withPrecision(baseline, 12), "지원하지 않는 그림파일 입니다."},
        {"png.jpg", "\x89PNG\r\n\x1A\n", "JPG 그림파일이 아닙니다.!"},
        {"huge.jpg", baseline, "그림파일이 너무 큽니다.!"}, // made 25 MB below
    };
    for (const Case& c : cases) {
        const std::string path = dir.write(c.name, c.bytes);
        if (std::string(c.name) == "huge.jpg") {
            ASSERT_EQ(::truncate(path.c_str(), 25LL * 1024 * 1024), 0);
        }

        test::RecordingNotifier client;
        MmsPictures slots(client);
        EXPECT_EQ(slots.chooseFile(1, path), c.message == nullptr) << c.name;
        EXPECT_EQ(client.texts(),
                  c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{})
            << c.name;

        DryRunOptions o;
        o.workingFolder = dir.path();
        o.textFiles = {numbers};
        o.numberColumn = 1;
        o.callback = "021234";
        o.kind = MessageKind::Mms;
        o.title = "t";
        o.message = "hi";
        o.pictures = {path};
        test::RecordingNotifier qbsend;
        std::ostringstream out;
        EXPECT_EQ(runDryRun(o, qbsend, out), c.message ? 1 : 0) << c.name;
        EXPECT_EQ(qbsend.texts(),
                  c.message ? std::vector<std::string>{path + "\n" + c.message} : std::vector<std::string>{})
            << c.name;
    }
}

} // namespace
} // namespace qb
