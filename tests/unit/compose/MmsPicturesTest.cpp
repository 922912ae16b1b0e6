#include "compose/MmsPictures.h"

#include "common/Cp949.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::errorBox;

class MmsPicturesTest : public ::testing::Test {
protected:
    MmsPicturesTest() : jpeg(test::readFile(test::dataPath("compose/baseline.jpg"))) {}

    std::string picture(const std::string& name) const { return dir.write(name, jpeg); }
    std::vector<std::string> paths() const {
        std::vector<std::string> out;
        for (const PictureSlot& s : pictures.all())
            out.push_back(s.path);
        return out;
    }

    test::TempDir dir;
    std::string jpeg;
    test::RecordingNotifier notifier;
    MmsPictures pictures{notifier};
};

TEST_F(MmsPicturesTest, TheDialogChecksTheFileItsExtensionInAnyCaseThenTheOrder) {
    const std::string a = picture("a.jpg");
    struct Case {
        int slot;
        std::string path;
        const char* message; // nullptr: taken
    };
    const std::vector<Case> cases{
        {1, "", "화일경로가 존재하지 않습니다."},
        {1, dir.file("none.jpg"), "화일경로가 존재하지 않습니다."},
        {1, dir.mkdir("folder.jpg"), "화일경로가 존재하지 않습니다."},
        {1, picture("a.jpeg.txt"), "지원하지 않는 그림파일 입니다."},
        {1, picture("noext"), "지원하지 않는 그림파일 입니다."},
        {2, a, "그림화일을 순서대로 선택하세요.!"},
        {1, picture("b.JPEG"), nullptr},
        {3, a, "그림화일을 순서대로 선택하세요.!"}, // slot 2 still empty
        {2, picture("c.jpeg"), nullptr},
        {3, picture("d.JPG"), nullptr},
        {1, picture("photo.Jpg"), nullptr},
        {1, a, nullptr}, // a filled slot takes another picture
    };
    for (const Case& c : cases) {
        notifier.clear();
        const auto before = pictures.all()[static_cast<std::size_t>(c.slot - 1)];
        EXPECT_EQ(pictures.chooseFile(c.slot, c.path), c.message == nullptr) << c.path;
        if (c.message) {
            EXPECT_EQ(notifier.shown(), std::vector{errorBox(c.message)}) << c.path;
            EXPECT_EQ(pictures.slot(c.slot).path, before.path) << c.path;
        } else {
            EXPECT_TRUE(notifier.shown().empty()) << c.path;
            EXPECT_EQ(pictures.slot(c.slot).path, c.path);
            EXPECT_EQ(pictures.slot(c.slot).width, 40);
            EXPECT_EQ(pictures.slot(c.slot).height, 30);
        }
    }
    EXPECT_EQ(paths(), (std::vector{a, dir.file("c.jpeg"), dir.file("d.JPG")}));
}

TEST_F(MmsPicturesTest, DropsAreCheckedForPlaceCountNameOrderThenTheFile) {
    struct Case {
        std::optional<int> slot;
        std::vector<std::string> files;
        const char* message; // nullptr: taken; "" nothing happens
    };
    const std::string a = picture("a.jpg");
    const std::vector<Case> cases{
        {std::nullopt, {a}, "Drag&drop 위치가 잘못되었습니다.!"},
        {1, {a, a}, "한개의 파일만 선택해 주세요.!"},
        {1, {}, ""},
        {1, {""}, "파일명 오류입니다.!"},
        {1, {picture("photo.png")}, "jpg 그림파일만 지원합니다.!"},
        {2, {a}, "그림화일을 순서대로 선택하세요.!"},
        {1, {dir.file("gone.jpg")}, "화일경로가 존재하지 않습니다."},
        {1, {picture("a.jpeg.txt")}, nullptr}, // the name holds ".jpeg" somewhere
        {2, {a}, nullptr},
        {3, {picture("PHOTO.Jpeg")}, nullptr},
    };
    for (const Case& c : cases) {
        notifier.clear();
        const std::string label = c.files.empty() ? "(none)" : c.files.front();
        EXPECT_EQ(pictures.drop(c.slot, c.files), c.message == nullptr) << label;
        if (c.message == nullptr)
            EXPECT_TRUE(notifier.shown().empty()) << label;
        else if (*c.message)
            EXPECT_EQ(notifier.shown(), std::vector{errorBox(c.message)}) << label;
        else
            EXPECT_TRUE(notifier.shown().empty()) << label;
    }
    EXPECT_EQ(paths(), (std::vector<std::string>{dir.file("a.jpeg.txt"), a, dir.file("PHOTO.Jpeg")}));
}

TEST_F(MmsPicturesTest, APictureTakesASlotOnlyWhenItReadsWhole) {
    const std::vector<std::pair<std::string, const char*>> cases{
        {dir.write("png.jpg", "\x89PNG\r\n\x1A\n rest"), "JPG 그림파일이 아닙니다.!"},
        {dir.write("text.jpg", "hello"), "JPG 그림파일이 아닙니다.!"},
        {dir.write("empty.jpg", ""), "JPG 그림파일이 아닙니다.!"},
        {dir.write("cut.jpg", jpeg.substr(0, jpeg.size() / 2)), "손상된 그림파일 입니다.!"},
        {dir.write("huge.jpg",
                   [&] {
                       std::string b = jpeg; // a frame header claiming 30000 x 30000
                       const auto sof = b.find("\xFF\xC0");
                       b.replace(sof + 5, 4, "\x75\x30\x75\x30");
                       return b;
                   }()),
         "그림파일이 너무 큽니다.!"},
    };
    ASSERT_TRUE(pictures.chooseFile(1, picture("first.jpg")));
    for (const auto& [path, message] : cases) {
        for (bool dropped : {false, true}) {
            notifier.clear();
            EXPECT_FALSE(dropped ? pictures.drop(2, {path}) : pictures.chooseFile(2, path)) << path;
            EXPECT_EQ(notifier.shown(), std::vector{errorBox(message)}) << path;
        }
    }
    EXPECT_EQ(paths(), (std::vector<std::string>{dir.file("first.jpg"), "", ""}));
}

TEST_F(MmsPicturesTest, DeletingLeavesLaterSlotsWhereTheyAre) {
    for (int k = 1; k <= 3; ++k)
        ASSERT_TRUE(pictures.chooseFile(k, picture(std::to_string(k) + ".jpg")));
    pictures.remove(2);
    EXPECT_EQ(paths(), (std::vector<std::string>{dir.file("1.jpg"), "", dir.file("3.jpg")}));
    EXPECT_EQ(pictures.slot(2).width, 0);
    EXPECT_EQ(pictures.slot(2).height, 0);
    // The gap must be filled before anything goes after it again.
    EXPECT_FALSE(pictures.chooseFile(3, picture("x.jpg")));
    EXPECT_TRUE(pictures.chooseFile(2, picture("y.jpg")));
    EXPECT_EQ(paths(), (std::vector<std::string>{dir.file("1.jpg"), dir.file("y.jpg"), dir.file("3.jpg")}));
}

TEST_F(MmsPicturesTest, TheSlotMenuOffersWhatTheSlotHolds) {
    auto texts = [&](int k) {
        std::vector<std::string> out;
        for (const auto& e : pictures.menu(k))
            out.push_back(cp949::toUtf8(e.text));
        return out;
    };
    EXPECT_EQ(texts(1), std::vector<std::string>{"파일열기"});
    ASSERT_TRUE(pictures.chooseFile(1, picture("1.jpg")));
    ASSERT_TRUE(pictures.chooseFile(2, picture("2.jpg")));
    EXPECT_EQ(texts(1), (std::vector<std::string>{"파일열기", "원사이즈보기", "그림삭제"}));
    EXPECT_EQ(texts(2), (std::vector<std::string>{"파일열기", "원사이즈보기", "파일삭제"}));
    EXPECT_EQ(pictures.menu(2)[2].action, MmsPictures::Action::Delete);
    EXPECT_EQ(texts(3), std::vector<std::string>{"파일열기"});
}

TEST_F(MmsPicturesTest, TakingASavedMessageReplacesEverySlot) {
    for (int k = 1; k <= 3; ++k)
        ASSERT_TRUE(pictures.chooseFile(k, picture(std::to_string(k) + ".jpg")));
    const std::string saved = picture("saved_2.jpg");
    pictures.replaceAll({"", saved, dir.write("bad.jpg", "x")});
    EXPECT_EQ(paths(), (std::vector<std::string>{"", saved, ""}));
    EXPECT_EQ(pictures.slot(2).width, 40);
    EXPECT_EQ(notifier.shown(), std::vector{errorBox("JPG 그림파일이 아닙니다.!")});
}

TEST(MmsPictureRules, TheDialogSeesTheTextAfterTheNamesLastDot) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"/a/photo.jpg", "jpg"}, {"/a/photo.tar.JPEG", "JPEG"}, {"/a.jpg/photo", ""},
        {"/a/photo.", ""},       {"photo.Jpg", "Jpg"},          {"/a/.jpg", "jpg"},
    };
    for (const auto& [path, ext] : cases)
        EXPECT_EQ(MmsPictures::dialogExtension(path), ext) << path;
}

} // namespace
} // namespace qb
