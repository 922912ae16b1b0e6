// The address book window's rules against the web application: what each
// action sends, what the user is told and in which order, and what the tree and
// the table show afterwards.
#include "WebFixture.h"

#include "common/Cp949.h"
#include "web/AddressBookModel.h"

#include <gtest/gtest.h>

namespace qb::test {
namespace {

using Shown = std::vector<test::Shown>;
using Strings = std::vector<std::string>;

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

TEST_F(AddressBookModelTest, OpeningBuildsTheTreeAndSelectingShowsAGroup) {
    ASSERT_TRUE(model.open());
    EXPECT_EQ(transfer, "");
    EXPECT_EQ(tree(), (Strings{"주소록", "친구", "가족"}));
    EXPECT_EQ(model.selectedItem(), AddressBookModel::kNoItem);
    EXPECT_TRUE(rows().empty());

    model.selectItem(AddressBookModel::kRoot);
    EXPECT_EQ(model.currentGroup(), ko("주소록"));
    EXPECT_TRUE(rows().empty());
    model.selectItem(1);
    EXPECT_EQ(rows(), (Strings{"1:a:0101", "2:b:0102", "3:c:0103"}));
    // The selected item again changes nothing: the ticks stay.
    model.table().setTicked(1, true);
    model.selectItem(1);
    EXPECT_EQ(model.table().tickedCount(), 1u);
    model.selectItem(2);
    EXPECT_EQ(rows(), Strings{"1:z:0109"});
    EXPECT_TRUE(notifier.shown().empty());

    using M = AddressBookModel::MenuItem;
    EXPECT_TRUE(AddressBookModel::menuFor(AddressBookModel::kNoItem).empty());
    EXPECT_EQ(AddressBookModel::menuFor(AddressBookModel::kRoot), std::vector<M>{M::NewGroup});
    EXPECT_EQ(AddressBookModel::menuFor(2), (std::vector<M>{M::Register, M::Move, M::Delete}));
    Strings texts;
    for (M m : {M::NewGroup, M::Register, M::Move, M::Delete})
        texts.push_back(cp949::toUtf8(AddressBookModel::menuText(m)));
    EXPECT_EQ(texts, (Strings{"신규그룹생성", "신규 주소록 등록", "주소록 이동", "주소록 삭제"}));
}

TEST_F(AddressBookModelTest, AFailedLoadLeavesTheRootAlone) {
    server.faults().set("getaddrgroup.jsp", {qbs::WebFault::ServerError});
    ASSERT_TRUE(model.open());
    EXPECT_EQ(tree(), Strings{"주소록"});
    EXPECT_EQ(notifier.shown(), Shown{errorBox("서버와의 통신이 원활하지 않습니다.")});
}

TEST_F(AddressBookModelTest, AddingAGroup) {
    openAt(1);
    struct Case {
        std::string name;
        bool fault;
        bool closes;
        Shown shown;
    };
    const std::vector<Case> cases{
        {"", false, false, {errorBox("그룹이름을 입력하세요!")}},
        {friends, false, false, {errorBox("그룹이름이 중복됩니다.!")}},
        {ko("동호회"), true, false, {errorBox("에러발생! 다시 시도해 주시기 바랍니다.")}},
        {ko("동호회"), false, true, {}},
    };
    for (const Case& c : cases) {
        notifier.clear();
        server.faults().set("setaddrgroup.jsp",
                            c.fault ? qbs::FaultRule(qbs::WebFault::ServerError) : qbs::FaultRule());
        const std::uint64_t revision = model.treeRevision();
        EXPECT_EQ(model.addGroup(c.name), c.closes) << c.name;
        EXPECT_EQ(notifier.shown(), c.shown) << c.name;
        EXPECT_EQ(model.treeRevision() != revision, c.closes) << c.name;
    }
    EXPECT_EQ(tree(), (Strings{"주소록", "친구", "가족", "동호회"}));
    EXPECT_EQ(store().groups(user()).size(), 3u);
    // The selection and the table stay.
    EXPECT_EQ(model.selectedItem(), 1);
    EXPECT_EQ(rows().size(), 3u);
}

TEST_F(AddressBookModelTest, RegisteringTheTenRows) {
    openAt(2);
    model.table().setTicked(0, true);
    std::vector<AddressRow> ten(10);
    ten[0].name = "only a name";
    EXPECT_FALSE(model.registerRows(ten));
    EXPECT_EQ(notifier.shown(), Shown{errorBox("데이터를 입력해 주세요.")});

    ten[3] = {"y", "0108", "m"};
    ten[9] = {"", "0107", ""};
    server.faults().set("setaddrdata.jsp", {qbs::WebFault::ServerError});
    notifier.clear();
    EXPECT_FALSE(model.registerRows(ten));
    EXPECT_EQ(notifier.shown(), Shown{errorBox("에러발생! 다시 시도해 주시기 바랍니다.")});
    EXPECT_EQ(model.table().tickedCount(), 1u);

    server.faults().clear();
    notifier.clear();
    EXPECT_TRUE(model.registerRows(ten));
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_EQ(rows(), (Strings{"1:z:0109", "2:y:0108", "3::0107"}));
    EXPECT_EQ(model.table().tickedCount(), 0u);
    EXPECT_EQ(model.table().text(1, AddressBookTable::Date), "2024-03-05 14:07:09");
    EXPECT_EQ(remote().back(), "가족::0107");
}

TEST_F(AddressBookModelTest, MovingTickedRows) {
    openAt(1);
    EXPECT_FALSE(model.startMove());
    EXPECT_EQ(notifier.shown(), Shown{errorBox("선택된 데이터가 없습니다.")});
    model.table().setTicked(0, true);
    model.table().setTicked(2, true);
    ASSERT_TRUE(model.startMove());
    EXPECT_EQ(model.groupNames(), (Strings{friends, family}));
    notifier.clear();
    EXPECT_FALSE(model.checkMoveTarget(friends));
    EXPECT_EQ(notifier.shown(), Shown{errorBox("이동할 그룹이 동일합니다.")});
    ASSERT_TRUE(model.checkMoveTarget(family));

    notifier.clear();
    model.moveTicked(family);
    EXPECT_EQ(notifier.shown(), Shown{plainBox("[친구] --> [가족] 로 2 건 이동완료.!")});
    // The target group is selected: its table, in the service's order.
    EXPECT_EQ(model.selectedItem(), 2);
    EXPECT_EQ(rows(), (Strings{"1:a:0101", "2:c:0103", "3:z:0109"}));
    EXPECT_EQ(remote(), (Strings{"가족:a:0101", "친구:b:0102", "가족:c:0103", "가족:z:0109"}));
}

TEST_F(AddressBookModelTest, DeletingAsksFirstAndSelectsTheGroupAgainWhileItHasEntries) {
    openAt(1);
    model.deleteTicked();
    EXPECT_EQ(notifier.shown(), Shown{errorBox("선택된 데이터가 없습니다.")});

    model.table().setTicked(1, true);
    const test::Shown question{ko("친구 그룹의 선택된 1 개 데이터를 삭제하시겠습니까?"), MessageIcon::Error,
                               defaultCaption(), true};
    notifier.clear();
    notifier.answerNext(false);
    model.deleteTicked();
    EXPECT_EQ(notifier.shown(), Shown{question});
    EXPECT_EQ(remote().size(), 4u);
    EXPECT_EQ(model.table().tickedCount(), 1u);

    notifier.clear();
    notifier.answerNext(true);
    model.deleteTicked();
    EXPECT_EQ(notifier.shown(), (Shown{question, plainBox("[친구] 그룹 1 건 삭제완료.!")}));
    EXPECT_EQ(model.selectedItem(), 1);
    EXPECT_EQ(rows(), (Strings{"1:a:0101", "2:c:0103"}));

    // Every row: the service drops the group, and nothing is selected.
    model.table().toggleAll();
    notifier.clear();
    notifier.answerNext(true);
    model.deleteTicked();
    EXPECT_EQ(notifier.texts(),
              (Strings{"친구 그룹의 선택된 2 개 데이터를 삭제하시겠습니까?", "[친구] 그룹 2 건 삭제완료.!"}));
    EXPECT_EQ(tree(), (Strings{"주소록", "가족"}));
    EXPECT_EQ(model.selectedItem(), AddressBookModel::kNoItem);
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(remote(), Strings{"가족:z:0109"});
}

TEST_F(AddressBookModelTest, ModifyingARow) {
    openAt(1);
    model.table().sortBy(AddressBookTable::Name);
    model.table().sortBy(AddressBookTable::Name); // descending: c, b, a
    const auto target = model.modifyTarget(0);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->name, "c");
    EXPECT_FALSE(model.modifyTarget(3));

    for (const AddressRow& empty : {AddressRow{"", "0105", "m"}, AddressRow{"n", "", "m"}}) {
        EXPECT_FALSE(model.modify(*target, empty));
    }
    EXPECT_EQ(notifier.shown(), Shown(2, errorBox("데이터를 입력해주세요!.")));

    notifier.clear();
    server.faults().set("modifyaddrdata.jsp", {qbs::WebFault::ServerError});
    EXPECT_FALSE(model.modify(*target, {"C", "0105", "m"}));
    EXPECT_EQ(notifier.shown(), Shown{errorBox("에러발생! 다시 시도해 주시기 바랍니다.")});
    EXPECT_EQ(rows()[0], "3:c:0103");

    server.faults().clear();
    notifier.clear();
    EXPECT_TRUE(model.modify(*target, {"C", "0105", "m"}));
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_EQ(rows(), (Strings{"3:C:0105", "2:b:0102", "1:a:0101"}));
    EXPECT_EQ(model.table().text(0, AddressBookTable::Memo), "m");
    EXPECT_EQ(remote()[2], "친구:C:0105");
}

TEST_F(AddressBookModelTest, PickingFromSeveralGroups) {
    openAt(1);
    model.handOver();
    model.table().setTicked(2, true);
    model.table().setTicked(0, true);
    model.handOver();
    model.selectItem(2);
    model.table().toggleAll();
    model.handOver();
    EXPECT_EQ(transfer, "a\x04"
                        "0101\x02"
                        "c\x04"
                        "0103\x02"
                        "z\x04"
                        "0109\x02");
    EXPECT_EQ(total, 7);
    EXPECT_EQ(notifier.shown(), (Shown{errorBox("발송 데이터을 선택하세요."),
                                       plainBox(" 2 건 데이터이동 완료!\n\n  총 [6] 건 "),
                                       plainBox(" 1 건 데이터이동 완료!\n\n  총 [7] 건 ")}));
    EXPECT_FALSE(model.closing());
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
