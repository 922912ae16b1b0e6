#include "WebFixture.h"

#include "common/Cp949.h"
#include "support/JpegFixtures.h"
#include "web/MessageSaver.h"
#include "web/SavedMessageBox.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qb::test {
namespace {

using Shown = std::vector<test::Shown>;
using qbs::MessageStore;

struct RecordingTarget : SavedMessageTarget {
    std::vector<SelectedMessage> taken;
    void takeSavedMessage(const SelectedMessage& m) override { taken.push_back(m); }
};

class SavedMessagesTest : public WebFixture {
protected:
    std::string cache() const { return dir.file("imgtemp"); }
    SavedMessageBox box(SavedKind kind) { return SavedMessageBox(kind, *web, cache()); }
    void seedSms(int count) {
        for (int i = 1; i <= count; ++i)
            store().addMessage(user(), MessageStore::Sms, {0, "", "sms " + std::to_string(i), {}});
    }
    static std::vector<std::string> bodies(const SavedMessageBox& b) {
        std::vector<std::string> out;
        for (int k = 1; k <= b.pageSize(); ++k)
            out.push_back(b.slot(k).filled ? b.slot(k).body : "-");
        return out;
    }
};

TEST_F(SavedMessagesTest, SmsSaveEscapesAndReportsSuccess) {
    MessageSaver saver(*web);
    ASSERT_TRUE(saver.saveSms("a'b\r\n\\c"));
    ASSERT_TRUE(saver.saveSms("\r\n\r\n"));
    ASSERT_TRUE(saver.saveSms(ko("안녕하세요")));
    EXPECT_EQ(notifier.shown(), Shown(3, plainBox("메세지 저장완료!")));
    const auto stored = store().messages(user(), MessageStore::Sms);
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0].msg, "a\\'b\n\\\\c");
    EXPECT_EQ(stored[1].msg, "\n\n");
    EXPECT_EQ(stored[2].msg, ko("안녕하세요"));
}

TEST_F(SavedMessagesTest, SaveChecksComeInOrder) {
    MessageDraft typed{"t", true, "body", true, {}}, gone = typed, picked = typed;
    gone.pictures[0] = PictureSlot{dir.file("missing.jpg"), 1, 1};
    picked.pictures[0] = PictureSlot{dir.write("p.jpg", "jpeg"), 1, 1};
    using K = SavedKind;
    const test::Shown empty = errorBox("저장할 내용이 없습니다."),
                      loggedOut = errorBox("로그인이 되어 있지 않습니다.");
    const test::Shown lmsEmpty = errorBox("[LMS] 저장할 내용이 없습니다.");
    struct Case {
        const char* what;
        bool loggedIn;
        SavedKind kind;
        MessageDraft draft;
        test::Shown shown;
    };
    const std::vector<Case> cases{
        {"logged out", false, K::Sms, {"", false, "text", true, {}}, loggedOut},
        {"empty SMS", true, K::Sms, {"", false, "", true, {}}, empty},
        {"LMS untouched", true, K::Lms, {"t", true, " 내용... ", false, {}}, lmsEmpty},
        {"LMS empty", true, K::Lms, {"t", true, "", true, {}}, lmsEmpty},
        {"MMS logged out", false, K::Mms, {"", false, "", false, {}}, loggedOut},
        {"MMS empty", true, K::Mms, {"t", true, "", true, {}}, errorBox("[MMS] 저장할 내용이 없습니다.")},
        {"MMS no picture", true, K::Mms, typed, errorBox("[MMS] 저장할 그림이 없습니다.")},
        {"MMS picture gone", true, K::Mms, gone, errorBox("에러발생! 다시 시도해 주시기 바랍니다.")},
        {"LMS", true, K::Lms, typed, plainBox("[LMS] 메세지 저장완료!")},
        {"MMS", true, K::Mms, picked, plainBox("[MMS] 메세지 저장완료!")},
    };
    for (const Case& c : cases) {
        login.loggedIn = c.loggedIn;
        notifier.clear();
        server.clearRequests();
        MessageSaver saver(*web);
        const bool ok = c.kind == SavedKind::Sms   ? saver.saveSms(c.draft.body)
                        : c.kind == SavedKind::Lms ? saver.saveLms(c.draft)
                                                   : saver.saveMms(c.draft);
        EXPECT_EQ(notifier.shown(), Shown{c.shown}) << c.what;
        EXPECT_EQ(ok, c.shown.icon == MessageIcon::None) << c.what;
        if (!ok) {
            EXPECT_TRUE(server.requests().empty()) << c.what;
        }
    }
}

TEST_F(SavedMessagesTest, LmsTitleCountsOnlyWhenEntered) {
    MessageSaver saver(*web);
    ASSERT_TRUE(saver.saveLms({" 제목... ", false, ko("본문") + "\r\n'2'", true, {}}));
    ASSERT_TRUE(saver.saveLms({ko("제목") + "\\", true, "b", true, {}}));
    const auto stored = store().messages(user(), MessageStore::Lms);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].title, "");
    EXPECT_EQ(stored[0].msg, ko("본문") + "\n\\'2\\'");
    EXPECT_EQ(stored[1].title, ko("제목") + "\\\\");
}

TEST_F(SavedMessagesTest, MmsSavePostsTheFilledSlotsInOrderUnderOneStamp) {
    const std::string first(3000, '\x01'), third("\xFF\xD8third", 7);
    MessageDraft draft{"title", true, "body", true, {}};
    draft.pictures[0] = {dir.write("a.jpg", first), 10, 10};
    draft.pictures[2] = {dir.write("c.jpg", third), 10, 10}; // slot 2 left empty
    ASSERT_TRUE(MessageSaver(*web).saveMms(draft));

    const auto stored = store().messages(user(), MessageStore::Mms);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].img,
              (std::array<std::string, 3>{"tester_20240305140709_1.jpg", "tester_20240305140709_2.jpg", ""}));
    EXPECT_EQ(store().picture("tester_20240305140709_1.jpg"), first);
    EXPECT_EQ(store().picture("tester_20240305140709_2.jpg"), third);
}

TEST_F(SavedMessagesTest, TwoMmsSavesInOneSecondKeepTheFirstOnesPictures) {
    // The clock stands still: both saves name their pictures with the same stamp.
    MessageDraft first{"first", true, "body", true, {}};
    first.pictures[0] = {dir.write("a.jpg", "first picture"), 10, 10};
    ASSERT_TRUE(MessageSaver(*web).saveMms(first));
    MessageDraft second{"second", true, "body", true, {}};
    second.pictures[0] = {dir.write("b.jpg", "second picture"), 10, 10};
    notifier.clear();
    EXPECT_FALSE(MessageSaver(*web).saveMms(second));
    EXPECT_EQ(notifier.shown(), Shown{errorBox("에러발생! 다시 시도해 주시기 바랍니다.")});
    // Nothing of the second is kept; the first still has its own picture.
    const auto stored = store().messages(user(), MessageStore::Mms);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].title, "first");
    EXPECT_EQ(store().picture("tester_20240305140709_1.jpg"), "first picture");
}

TEST_F(SavedMessagesTest, SevenSmsRecordsPageNewestFirst) {
    seedSms(7);
    auto b = box(SavedKind::Sms);
    b.open();
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_EQ(cp949::toUtf8(b.windowTitle()), "메세지 저장함 - 1 / 2");
    EXPECT_EQ(bodies(b), (std::vector<std::string>{"sms 7", "sms 6", "sms 5", "sms 4", "sms 3", "sms 2"}));

    b.next();
    EXPECT_EQ(cp949::toUtf8(b.windowTitle()), "메세지 저장함 - 2 / 2");
    EXPECT_EQ(bodies(b), (std::vector<std::string>{"sms 1", "-", "-", "-", "-", "-"}));
    b.next();
    EXPECT_EQ(b.currentPage(), 2);

    b.remove(2); // an empty slot: nothing happens
    EXPECT_EQ(b.recordCount(), 7u);
    b.remove(1);
    EXPECT_EQ(b.recordCount(), 6u);
    EXPECT_EQ(cp949::toUtf8(b.windowTitle()), "메세지 저장함 - 1 / 1");
    EXPECT_EQ(bodies(b), (std::vector<std::string>{"sms 7", "sms 6", "sms 5", "sms 4", "sms 3", "sms 2"}));
    const auto left = store().messages(user(), MessageStore::Sms);
    ASSERT_EQ(left.size(), 6u);
    EXPECT_EQ(left[0].msg, "sms 2");

    b.previous();
    EXPECT_EQ(b.currentPage(), 1);
    b.remove(3); // "sms 5", page 1 still full enough
    EXPECT_EQ(bodies(b), (std::vector<std::string>{"sms 7", "sms 6", "sms 4", "sms 3", "sms 2", "-"}));
    EXPECT_EQ(b.currentPage(), 1);
    EXPECT_TRUE(notifier.shown().empty());
}

TEST_F(SavedMessagesTest, DeleteSendsTheRecordsIdxAndKeepsItOnFailure) {
    seedSms(2);
    auto b = box(SavedKind::Sms);
    b.open();
    server.clearRequests();
    server.faults().set("delsmsmsg.jsp", {qbs::WebFault::ServerError});
    b.remove(1);
    EXPECT_EQ(notifier.shown(), Shown{errorBox("서버와의 통신이 원활하지 않습니다.")});
    EXPECT_EQ(b.recordCount(), 2u);
    EXPECT_EQ(server.requests(), std::vector<std::string>{"GET /delsmsmsg.jsp?cid=tester&idx=2"});

    server.faults().clear();
    notifier.clear();
    login.loggedIn = false;
    b.remove(1);
    EXPECT_EQ(notifier.shown(), Shown{errorBox("로그인이 되어 있지 않습니다.")});
    EXPECT_EQ(b.recordCount(), 2u);
}

TEST_F(SavedMessagesTest, AnEmptyStoreIsPageOneOfZero) {
    for (const auto& [kind, title] : {std::pair{SavedKind::Sms, "메세지 저장함 - 1 / 0"},
                                      std::pair{SavedKind::Lms, "[LMS] 메세지 저장함 - 1 / 0"},
                                      std::pair{SavedKind::Mms, "[MMS] 메세지 저장함 - 1 / 0"}}) {
        auto b = box(kind);
        b.open();
        EXPECT_EQ(cp949::toUtf8(b.windowTitle()), title);
        b.next();
        EXPECT_EQ(b.currentPage(), 1);
        server.clearRequests();
        b.remove(1);
        EXPECT_TRUE(server.requests().empty());
    }
    EXPECT_TRUE(notifier.shown().empty());
}

TEST_F(SavedMessagesTest, ListFailuresLeaveAnEmptyTitledBox) {
    struct Case {
        const char* what;
        qbs::FaultRule rule;
        Shown shown;
    };
    store().addMessage(user(), MessageStore::Lms, {0, "t", "m", {}});
    const std::vector<Case> cases{
        {"500", {qbs::WebFault::ServerError}, {errorBox("서버와의 통신이 원활하지 않습니다.")}},
        {"not JSON", {qbs::WebFault::InvalidJson}, {errorBox("데이터 파싱 오류! 다시 시도 하세요.!")}},
        {"no member", {qbs::WebFault::MissingMember}, {}},
    };
    for (const Case& c : cases) {
        server.faults().set("getlmsmsg.jsp", c.rule);
        notifier.clear();
        auto b = box(SavedKind::Lms);
        b.open();
        EXPECT_EQ(notifier.shown(), c.shown) << c.what;
        EXPECT_EQ(b.recordCount(), 0u) << c.what;
        EXPECT_EQ(cp949::toUtf8(b.windowTitle()), "[LMS] 메세지 저장함 - 1 / 0") << c.what;
    }
}

TEST_F(SavedMessagesTest, LmsSlotsShowCrLfAndSelectionHandsTheShownTexts) {
    store().addMessage(user(), MessageStore::Lms, {0, ko("제목"), "line 1\nline 2\\'", {}});
    store().addMessage(user(), MessageStore::Lms, {0, "newer", "", {}});
    auto b = box(SavedKind::Lms);
    b.open();
    EXPECT_EQ(b.slot(2).title, ko("제목"));
    EXPECT_EQ(b.slot(2).body, "line 1\r\nline 2\\'");

    RecordingTarget target;
    EXPECT_FALSE(b.select(1, b.slot(1).title, b.slot(1).body, target));
    EXPECT_EQ(notifier.shown(), Shown{errorBox("메시지 내용이 없습니다.!")});
    EXPECT_TRUE(target.taken.empty());
    EXPECT_EQ(b.recordCount(), 2u);

    ASSERT_TRUE(b.select(2, "edited title", b.slot(2).body, target));
    ASSERT_EQ(target.taken.size(), 1u);
    EXPECT_EQ(target.taken[0].title, "edited title");
    EXPECT_EQ(target.taken[0].body, "line 1\r\nline 2\\'");
    EXPECT_EQ(b.recordCount(), 0u);
}

TEST_F(SavedMessagesTest, MmsPicturesAreFetchedIntoTheCacheAndSelected) {
    const std::string second = makeJpeg();
    store().putPicture("only2.jpg", user(), second);
    store().addMessage(user(), MessageStore::Mms, {0, "t", "body", {"", "only2.jpg", ""}});
    auto b = box(SavedKind::Mms);
    b.open();
    EXPECT_EQ(readFile(cache() + "/only2.jpg"), second);
    const SavedSlot s = b.slot(1);
    EXPECT_EQ(s.pictures, (std::array<std::string, 3>{"", cache() + "/only2.jpg", ""}));

    RecordingTarget target;
    ASSERT_TRUE(b.select(1, s.title, s.body, target));
    ASSERT_EQ(target.taken.size(), 1u);
    EXPECT_EQ(target.taken[0].pictures, s.pictures);
    EXPECT_EQ(target.taken[0].title, "t");
    EXPECT_TRUE(notifier.shown().empty());
}

TEST_F(SavedMessagesTest, PictureNamesThatLeaveTheCacheWriteNothing) {
    const std::string outside = dir.file("x.jpg");
    store().putPicture("../x.jpg", user(), "evil");
    store().putPicture("ok.jpg", user(), makeJpeg());
    store().addMessage(user(), MessageStore::Mms, {0, "t", "b", {"../x.jpg", "ok.jpg", "/tmp/abs.jpg"}});
    auto b = box(SavedKind::Mms);
    b.open();
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_FALSE(fileExists(outside));
    std::vector<std::string> cached;
    for (const auto& e : std::filesystem::directory_iterator(cache()))
        cached.push_back(e.path().filename().string());
    EXPECT_EQ(cached, std::vector<std::string>{"ok.jpg"});
    EXPECT_EQ(b.slot(1).pictures, (std::array<std::string, 3>{"", cache() + "/ok.jpg", ""}));
    EXPECT_EQ(b.slot(1).unavailable, (std::array<bool, 3>{true, false, true}));
    for (const std::string& r : server.requests())
        EXPECT_EQ(r.find("x.jpg"), std::string::npos) << r;
}

TEST_F(SavedMessagesTest, AMessageWhosePictureCannotBeHadIsShownChosenAndDeleted) {
    store().putPicture("b.jpg", user(), makeJpeg());
    store().putPicture("text.jpg", user(), "no picture");
    store().addMessage(user(), MessageStore::Mms, {0, "t", "1", {"missing.jpg", "", ""}});
    store().addMessage(user(), MessageStore::Mms, {0, "t", "2", {"b.jpg", "text.jpg", ""}});
    store().addMessage(user(), MessageStore::Mms, {0, "t", "3", {"missing.jpg", "b.jpg", ""}});
    auto b = box(SavedKind::Mms);
    b.open();
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_EQ(b.windowTitle(), ko("[MMS] 메세지 저장함 - 1 / 1"));
    // Newest first: what could be had is there, the rest is empty and marked.
    const std::array<std::string, 3> none{};
    const std::string good = cache() + "/b.jpg";
    EXPECT_EQ(b.slot(1).pictures, (std::array<std::string, 3>{"", good, ""}));
    EXPECT_EQ(b.slot(1).unavailable, (std::array<bool, 3>{true, false, false}));
    EXPECT_EQ(b.slot(2).pictures, (std::array<std::string, 3>{good, "", ""}));
    EXPECT_EQ(b.slot(2).unavailable, (std::array<bool, 3>{false, true, false}));
    EXPECT_EQ(b.slot(3).pictures, none);
    EXPECT_EQ(b.slot(3).body, "1");
    // Only real pictures stay in the cache.
    EXPECT_TRUE(fileExists(good));
    EXPECT_FALSE(fileExists(cache() + "/text.jpg"));
    EXPECT_FALSE(fileExists(cache() + "/missing.jpg"));

    b.remove(3);
    EXPECT_EQ(b.recordCount(), 2u);
    EXPECT_EQ(store().messages(user(), MessageStore::Mms).size(), 2u);
    RecordingTarget target;
    ASSERT_TRUE(b.select(1, b.slot(1).title, b.slot(1).body, target));
    ASSERT_EQ(target.taken.size(), 1u);
    EXPECT_EQ(target.taken[0].pictures, (std::array<std::string, 3>{"", good, ""}));
    EXPECT_TRUE(notifier.shown().empty());
}

TEST_F(SavedMessagesTest, ReplyValuesAreCutToTheirCapacity) {
    std::string hangul;
    for (int i = 0; i < 100; ++i)
        hangul += ko("가");
    server.faults().set("getmmsmsg.jsp",
                        qbs::FaultRule::canned(200, R"({"tester":[{"idx":"1","title":")" + hangul +
                                                        R"(","img1":")" + std::string(300, 'a') + R"("}]})"));
    auto b = box(SavedKind::Mms);
    b.open();
    const auto& mms = dynamic_cast<const SavedMms&>(b.record(0));
    EXPECT_EQ(mms.title, hangul.substr(0, 66)); // 67 bytes allowed, 33 syllables fit
    EXPECT_EQ(mms.msg, "");                     // absent from the reply
    EXPECT_EQ(mms.img[0], "");                  // too long a name is no name
    EXPECT_TRUE(notifier.shown().empty());

    RecordingTarget target;
    EXPECT_FALSE(b.select(1, b.slot(1).title, b.slot(1).body, target));
    EXPECT_EQ(notifier.shown(), Shown{errorBox("메시지 내용이 없습니다.!")});
}

TEST_F(SavedMessagesTest, AnMmsSavedByAHangulUserComesBackWithItsPictures) {
    loginAs(ko("홍 길동") + "&x=1");
    const std::string picture = makeJpeg();
    MessageDraft draft{ko("제목"), true, ko("본문"), true, {}};
    draft.pictures[0] = {dir.write("a.jpg", picture), 1, 1};
    ASSERT_TRUE(MessageSaver(*web).saveMms(draft));

    auto b = box(SavedKind::Mms);
    b.open();
    const std::string name = user() + "_20240305140709_1.jpg";
    EXPECT_EQ(b.slot(1).pictures[0], cache() + "/" + name);
    EXPECT_EQ(readFile(cache() + "/" + name), picture);
    EXPECT_EQ(b.slot(1).title, ko("제목"));
    EXPECT_EQ(notifier.shown(), Shown{plainBox("[MMS] 메세지 저장완료!")});
}

} // namespace
} // namespace qb::test
