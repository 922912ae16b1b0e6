#include "net/LoginDialogModel.h"

#include "common/Cp949.h"
#include "common/LoginState.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace qb;

namespace {

struct DialogTest : ::testing::Test {
    test::TempDir dir;
    LoginState state;
    test::RecordingNotifier notifier;
    LoginDialogModel model{dir.file("Env.cfg"), state, notifier};
};

} // namespace

TEST_F(DialogTest, OpensWithSavedValuesOnlyWhenTheCheckIsExactlyY) {
    struct Row {
        const char* env;
        LoginDialogFields expected;
    };
    const Row rows[] = {
        {"", {"", "", false, false}},
        {"[LOGIN]\r\nID=abc\r\nIDCHECK=Y\r\nPASSWD=pw\r\nPASSCHECK=N\r\n", {"abc", "", true, false}},
        {"[LOGIN]\r\nID=abc\r\nIDCHECK=y\r\nPASSWD=pw\r\nPASSCHECK=Y\r\n", {"", "pw", false, true}},
        {"[LOGIN]\r\nID=abc\r\nIDCHECK=YES\r\nPASSWD=pw\r\nPASSCHECK= Y \r\n", {"", "pw", false, true}},
        {"[login]\nid=abc\nidcheck=Y\n", {"abc", "", true, false}},
    };
    for (const Row& row : rows) {
        dir.write("Env.cfg", row.env);
        const LoginDialogFields f = model.open();
        EXPECT_EQ(f.id, row.expected.id) << row.env;
        EXPECT_EQ(f.password, row.expected.password) << row.env;
        EXPECT_EQ(f.saveId, row.expected.saveId) << row.env;
        EXPECT_EQ(f.savePassword, row.expected.savePassword) << row.env;
    }
}

TEST_F(DialogTest, EmptyFieldsLineBreaksAndNulsAreRefusedAndNothingIsWritten) {
    const std::string before = "[LOGIN]\r\nID=old\r\nIDCHECK=Y\r\n";
    dir.write("Env.cfg", before);
    const char* const empty = "아이디와 비번을 입력해주세요!";
    const char* const breaks = "아이디와 비번에 줄바꿈 문자를 넣을 수 없습니다.";
    const std::pair<LoginDialogFields, const char*> rows[] = {
        {{"abc", "", true, true}, empty},
        {{"", "pw", true, true}, empty},
        {{"", "", false, false}, empty},
        {{"abc", "pw\r\nID=evil", true, true}, breaks},
        {{"abc", "pw\nIDCHECK=N", false, true}, breaks},
        {{"a\rb", "pw", true, false}, breaks},
        {{"abc", std::string("pw\0x", 4), true, true}, breaks},
    };
    for (const auto& [fields, message] : rows) {
        notifier.clear();
        EXPECT_FALSE(model.accept(fields)) << fields.id << fields.password;
        EXPECT_EQ(notifier.shown(), std::vector<test::Shown>{test::errorBox(message)}) << fields.id;
    }
    EXPECT_EQ(test::readFile(dir.file("Env.cfg")), before);
    EXPECT_EQ(state.userId, "");
    EXPECT_EQ(state.password, "");
}

TEST_F(DialogTest, AcceptRemembersChoicesAndFillsTheLoginState) {
    dir.write("Env.cfg", "[LOGIN]\r\nID=abc\r\nIDCHECK=Y\r\nPASSWD=secret\r\nPASSCHECK=Y\r\n");
    ASSERT_TRUE(model.accept({"abc", ko("비번"), true, false}));
    EXPECT_EQ(test::readFile(dir.file("Env.cfg")),
              "[LOGIN]\r\nID=abc\r\nIDCHECK=Y\r\nPASSWD=0000\r\nPASSCHECK=N\r\n");
    EXPECT_EQ(state.userId, "abc");
    EXPECT_EQ(state.password, ko("비번"));
    EXPECT_TRUE(notifier.shown().empty());
    // The placeholders are never shown.
    const LoginDialogFields reopened = model.open();
    EXPECT_EQ(reopened.password, "");
    EXPECT_FALSE(reopened.savePassword);
}

TEST_F(DialogTest, UnwritableEnvCfgDoesNotStopTheLogin) {
    dir.mkdir("Env.cfg"); // a folder where the file should be
    EXPECT_TRUE(model.accept({"abc", "pw", true, true}));
    EXPECT_EQ(state.userId, "abc");
    EXPECT_TRUE(notifier.shown().empty());
}
