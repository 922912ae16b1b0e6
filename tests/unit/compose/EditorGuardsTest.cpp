#include "common/Cp949.h"
#include "common/LoginState.h"
#include "compose/JpegCheck.h"
#include "compose/LmsEditor.h"
#include "compose/MmsEditor.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"
#include "web/WebClient.h"

#include <gtest/gtest.h>

#include <functional>

namespace qb {
namespace {

using Box = EditorText::Box;
using Strings = std::vector<std::string>;

class SizeDecoder : public PictureDecoder {
public:
    PictureInfo decode(const std::string&, std::string_view bytes) override {
        const JpegInfo info = checkJpeg(bytes);
        return {PictureStatus::Ok, info.width, info.height};
    }
};

const char* const kDiscard = "작성한 내용이 지워집니다. 계속하시겠습니까?";

// Text that reaches a box without the focus (an input method, a screen reader)
// is the user's: it touches the box, so validation and saving take it.
TEST(EditorGuards, TextFromAnywhereTouchesTheBox) {
    const struct Case {
        Box box;
        std::string text;
        bool touched;
    } cases[] = {
        {Box::Title, ko("공지"), true}, {Box::Title, ko(" 제목... "), false}, {Box::Title, "", true},
        {Box::Body, ko("본문"), true},  {Box::Body, ko(" 내용... "), false},
    };
    for (const Case& c : cases) {
        EditorText t;
        t.edited(c.box, c.text);
        EXPECT_EQ(t.touched(c.box), c.touched) << cp949::toUtf8(c.text);
        EXPECT_EQ(t.text(c.box), c.text);
        const EditorContent content = t.content();
        EXPECT_EQ(c.box == Box::Title ? content.titleTouched : content.bodyTouched, c.touched);
    }
}

// "초기화" and "취소" ask before title, body or pictures go.
TEST(EditorGuards, DiscardingAsksOnlyWhenThereIsWork) {
    test::TempDir dir;
    const std::string jpeg = dir.write("a.jpg", test::readFile(test::dataPath("compose/baseline.jpg")));
    using Setup = std::function<void(EditorText&, MmsPictures&)>;
    const struct Case {
        const char* name;
        Setup setup;
        bool asks;
    } cases[] = {
        {"untouched", [](EditorText&, MmsPictures&) {}, false},
        {"focused, nothing typed", [](EditorText& t, MmsPictures&) { t.focused(Box::Body); }, false},
        {"title", [](EditorText& t, MmsPictures&) { t.edited(Box::Title, "T"); }, true},
        {"body", [](EditorText& t, MmsPictures&) { t.edited(Box::Body, "B"); }, true},
        {"picture", [&](EditorText&, MmsPictures& p) { ASSERT_TRUE(p.chooseFile(1, jpeg)); }, true},
    };
    LoginState login;
    SizeDecoder decoder;
    for (const bool yes : {false, true}) {
        for (const Case& c : cases) {
            test::RecordingNotifier notifier;
            WebClient web(login, notifier, WebHost{});
            LmsEditor lms(web);
            MmsEditor mms(web, decoder);
            MmsPictures unused(notifier, decoder);
            c.setup(lms.text(), unused);
            c.setup(mms.text(), mms.pictures());
            const bool lmsAsks = c.asks && unused.all()[0].empty();
            notifier.answerNext(yes);
            notifier.answerNext(yes);
            EXPECT_EQ(lms.mayDiscard(), !lmsAsks || yes) << c.name;
            EXPECT_EQ(mms.mayDiscard(), !c.asks || yes) << c.name;
            Strings expected;
            if (lmsAsks)
                expected.push_back(kDiscard);
            if (c.asks)
                expected.push_back(kDiscard);
            EXPECT_EQ(notifier.texts(), expected) << c.name;
        }
    }
}

} // namespace
} // namespace qb
