// The address book window's rules against the web application, where the
// widget tests do not reach: refusals and failures, selection, a group emptied,
// and every action while nobody is logged in.
#include "WebFixture.h"

#include "common/Cp949.h"
#include "web/AddressBookModel.h"

#include <gtest/gtest.h>

namespace qb::test {
namespace {

using Shown = std::vector<test::Shown>;

class AddressBookModelTest : public WebFixture {
protected:
    void SetUp() override {
        store().addGroup(user(), friends);
        store().addGroup(user(), family);
        for (const auto& [group, hpno, name] : std::vector<std::array<std::string, 3>>{{friends, "0101", "a"},
                                                                                       {friends, "0102", "b"},
                                                                                       {friends, "0103", "c"},
                                                                                       {family, "0109", "z"}})
            store().addEntry(user(), {0, group, hpno, name, "", "2024-01-01 00:00:00"});
    }
    // The table as "ordinal:name:phone", in table order.
    Strings rows() const {
        Strings out;
        const AddressBookTable& t = model.table();
        for (std::size_t i = 0; i < t.rowCount(); ++i)
            out.push_back(t.text(i, 0) + ":" + t.text(i, 1) + ":" + t.text(i, 2));
        return out;
    }
    Strings tree() const {
        Strings out;
        for (int i = 0; i < model.treeItemCount(); ++i)
            out.push_back(cp949::toUtf8(model.treeText(i)));
        return out;
    }
    Strings remote() {
        Strings out;
        for (const auto& e : store().entries(user()))
            out.push_back(cp949::toUtf8(e.groupname) + ":" + e.name + ":" + e.hpno);
        return out;
    }
    void openAt(int item) {
        ASSERT_TRUE(model.open());
        model.selectItem(item);
        notifier.clear();
    }

    const std::string friends = ko("친구"), family = ko("가족");
    std::string transfer = "stale\x04"
                           "1\x02";
    long long total = 4;
    AddressBookModel model{*web, transfer, total};
};

TEST_F(AddressBookModelTest, AFailedLoadLeavesTheRootAlone) {
    server.faults().set("getaddrgroup.jsp", {qbs::WebFault::ServerError});
    ASSERT_TRUE(model.open());
    EXPECT_EQ(tree(), Strings{"주소록"});
    EXPECT_EQ(notifier.shown(), Shown{errorBox("서버와의 통신이 원활하지 않습니다.")});
}

TEST_F(AddressBookModelTest, RefusedOrFailedDialogsStayOpenAndChangeNothing) {
    openAt(1);
    model.table().setTicked(0, true);
    const auto target = model.modifyTarget(0);
    ASSERT_TRUE(target);
    std::vector<AddressRow> ten(10, AddressRow{"name only", "", "memo"});
    struct Case {
        const char* what;
        const char* failingEndpoint; // answers 500, or null
        std::function<bool()> act;
        const char* message;
    };
    const std::vector<Case> cases{
        {"empty group name", nullptr, [&] { return model.addGroup(""); }, "그룹이름을 입력하세요!"},
        {"existing group", nullptr, [&] { return model.addGroup(friends); }, "그룹이름이 중복됩니다.!"},
        {"group refused", "setaddrgroup.jsp", [&] { return model.addGroup("new"); },
         "에러발생! 다시 시도해 주시기 바랍니다."},
        {"no phone in ten rows", nullptr, [&] { return model.registerRows(ten); }, "데이터를 입력해 주세요."},
        {"rows refused", "setaddrdata.jsp",
         [&] {
             return model.registerRows({{"n", "010-5555-6666", ""}});
         },
         "에러발생! 다시 시도해 주시기 바랍니다."},
        {"a word for a number", nullptr,
         [&] {
             return model.registerRows({{"n", "01055556666", ""}, {"m", "abc", ""}});
         },
         "[abc] 전화번호를 확인해주세요."},
        {"modify to a header line", nullptr,
         [&] {
             return model.modify(*target, {"n", "phone_number", ""});
         },
         "[phone_number] 전화번호를 확인해주세요."},
        {"modify without a name", nullptr,
         [&] {
             return model.modify(*target, {"", "0105", ""});
         },
         "데이터를 입력해주세요!."},
        {"modify without a phone", nullptr,
         [&] {
             return model.modify(*target, {"n", "", ""});
         },
         "데이터를 입력해주세요!."},
        {"a NUL in a phone", nullptr,
         [&] {
             return model.registerRows({{"n",
                                         std::string("010\0"
                                                     "12345678",
                                                     12),
                                         ""}});
         },
         "이름, 전화번호, 메모에 쓸 수 없는 문자(NUL, 0x02, 0x04)가 들어 있습니다."},
        {"a separator in a name", nullptr,
         [&] {
             return model.registerRows({{"a", "0105", ""}, {"n\x04x", "0106", ""}});
         },
         "이름, 전화번호, 메모에 쓸 수 없는 문자(NUL, 0x02, 0x04)가 들어 있습니다."},
        {"modify with a separator in the memo", nullptr,
         [&] {
             return model.modify(*target, {"n", "0105", "m\x02"});
         },
         "이름, 전화번호, 메모에 쓸 수 없는 문자(NUL, 0x02, 0x04)가 들어 있습니다."},
        {"modify refused", "modifyaddrdata.jsp",
         [&] {
             return model.modify(*target, {"n", "01055556666", ""});
         },
         "에러발생! 다시 시도해 주시기 바랍니다."},
        {"move to the same group", nullptr, [&] { return model.checkMoveTarget(friends); },
         "이동할 그룹이 동일합니다."},
    };
    for (const Case& c : cases) {
        server.faults().clear();
        if (c.failingEndpoint)
            server.faults().set(c.failingEndpoint, {qbs::WebFault::ServerError});
        notifier.clear();
        EXPECT_FALSE(c.act()) << c.what;
        EXPECT_EQ(notifier.shown(), Shown{errorBox(c.message)}) << c.what;
    }
    EXPECT_EQ(tree(), (Strings{"주소록", "친구", "가족"}));
    EXPECT_EQ(rows(), (Strings{"1:a:0101", "2:b:0102", "3:c:0103"}));
    EXPECT_EQ(model.table().tickedCount(), 1u);
    EXPECT_EQ(remote().size(), 4u);
}

TEST_F(AddressBookModelTest, NewGroupsAndEntriesAreShownAsTheServiceStoredThem) {
    openAt(2);
    ASSERT_TRUE(model.registerRows({{"y", "010 8888 9999", ""}}));
    ASSERT_TRUE(model.addGroup(ko("동호회")));
    EXPECT_EQ(tree(), (Strings{"주소록", "친구", "가족", "동호회"}));
    EXPECT_EQ(model.selectedItem(), 2);
    EXPECT_EQ(rows(), (Strings{"1:z:0109", "2:y:010 8888 9999"}));
    // Loaded again: the service's keys, not blanks of a local copy.
    EXPECT_EQ(model.book().entries().back().idx, "5");
    EXPECT_EQ(model.book().groups().back().idx, "3");
    EXPECT_TRUE(notifier.shown().empty());
}

TEST_F(AddressBookModelTest, SelectingTheSelectedItemAgainKeepsTheTicks) {
    openAt(1);
    model.table().setTicked(1, true);
    model.selectItem(1);
    EXPECT_EQ(model.table().tickedCount(), 1u);
    // The root shows the entries of a group named like it: none here.
    model.selectItem(AddressBookModel::kRoot);
    EXPECT_EQ(model.currentGroup(), ko("주소록"));
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(AddressBookModel::menuFor(AddressBookModel::kNoItem).size(), 0u);
}

TEST_F(AddressBookModelTest, DeletingEveryRowOfAGroupLeavesNothingSelected) {
    openAt(1);
    model.table().toggleAll();
    notifier.answerNext(true);
    model.deleteTicked();
    EXPECT_EQ(notifier.texts(),
              (Strings{"친구 그룹의 선택된 3 개 데이터를 삭제하시겠습니까?", "[친구] 그룹 3 건 삭제완료.!"}));
    // The service dropped the group with its entries.
    EXPECT_EQ(tree(), (Strings{"주소록", "가족"}));
    EXPECT_EQ(model.selectedItem(), AddressBookModel::kNoItem);
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(remote(), Strings{"가족:z:0109"});
}

TEST_F(AddressBookModelTest, LoggedOutTheWindowOrTheDialogThatAskedCloses) {
    struct Case {
        const char* what;
        std::function<bool(AddressBookModel&)> act;
        bool returns; // open: the window opens; a dialog's action: the dialog closes
        bool windowCloses;
        bool transferEmptied;
    };
    const std::vector<Case> cases{
        {"open", [](AddressBookModel& m) { return m.open(); }, false, true, true},
        {"입력", [](AddressBookModel& m) { return m.handOver(), false; }, false, true, true},
        {"move", [](AddressBookModel& m) { return m.startMove(); }, false, true, false},
        {"delete", [](AddressBookModel& m) { return m.deleteTicked(), false; }, false, true, false},
        {"add group", [](AddressBookModel& m) { return m.addGroup("g"); }, true, false, false},
        {"register",
         [](AddressBookModel& m) {
             return m.registerRows({{"n", "010", ""}});
         },
         true, false, false},
        {"modify",
         [](AddressBookModel& m) {
             return m.modify({"g", "n", "010", "", 0}, {"n", "011", ""});
         },
         true, false, false},
        // Logged out while the move or import dialog was open.
        {"move to", [](AddressBookModel& m) { return m.moveTicked("g"), false; }, false, true, false},
        {"import",
         [](AddressBookModel& m) {
             return m.registerImported({{"n", "01011112222", ""}});
         },
         true, true, false},
    };
    login.loggedIn = false;
    for (const Case& c : cases) {
        notifier.clear();
        transfer = "kept";
        AddressBookModel m(*web, transfer, total);
        EXPECT_EQ(c.act(m), c.returns) << c.what;
        EXPECT_EQ(m.closing(), c.windowCloses) << c.what;
        EXPECT_EQ(notifier.shown(), Shown{errorBox("로그인이 되어 있지 않습니다.")}) << c.what;
        EXPECT_EQ(transfer.empty(), c.transferEmptied) << c.what;
    }
    EXPECT_TRUE(server.requests().empty());
}

} // namespace
} // namespace qb::test
