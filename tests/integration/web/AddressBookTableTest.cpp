#include "WebFixture.h"

#include "common/Cp949.h"
#include "web/AddressBookTable.h"

#include <gtest/gtest.h>

namespace qb::test {
namespace {

using Shown = std::vector<test::Shown>;

class AddressBookTableTest : public WebFixture {
protected:
    void SetUp() override {
        const std::string g = ko("친구");
        for (const auto& [hpno, name, date] :
             std::vector<std::array<std::string, 3>>{{"0103", "Kimm", "2024-01-03"},
                                                     {"0101", ko("가나"), "2024-01-01"},
                                                     {"0102", "Kim", "2024-01-02"},
                                                     {"0100", "kim", "2023-12-31"}})
            store().addEntry(user(), {0, g, hpno, name, "", date});
        store().addEntry(user(), {0, "Friends", "0199", "Other", "", "2024-02-02"});
        store().addGroup(user(), g);
        store().addGroup(user(), "Friends");
        ASSERT_TRUE(book.reload());
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < table.rowCount(); ++i)
            out.push_back(table.text(i, AddressBookTable::Tick) + ":" +
                          table.text(i, AddressBookTable::Name));
        return out;
    }

    AddressBook book{*web};
    AddressBookTable table{book};
};

TEST_F(AddressBookTableTest, RowsOfTheSelectedGroupOnly) {
    table.selectGroup(ko("친구"));
    EXPECT_EQ(names(), (std::vector<std::string>{"1:Kimm", "2:" + ko("가나"), "3:Kim", "4:kim"}));
    table.selectGroup("friends");
    EXPECT_TRUE(table.rows().empty());
    table.selectGroup(ko("주소록"));
    EXPECT_TRUE(table.rows().empty());
    table.selectGroup("Friends");
    EXPECT_EQ(names(), std::vector<std::string>{"1:Other"});
}

TEST_F(AddressBookTableTest, HeadersSortAndFlipByUnsignedBytes) {
    table.selectGroup(ko("친구"));
    const std::string ga = ko("가나");
    struct Click {
        int column;
        std::vector<std::string> order;
    };
    const std::vector<Click> clicks{
        {AddressBookTable::Name, {"3:Kim", "1:Kimm", "4:kim", "2:" + ga}},
        {AddressBookTable::Name, {"2:" + ga, "4:kim", "1:Kimm", "3:Kim"}},
        {AddressBookTable::Phone, {"4:kim", "2:" + ga, "3:Kim", "1:Kimm"}},
        {AddressBookTable::Memo, {"4:kim", "2:" + ga, "3:Kim", "1:Kimm"}},
        {AddressBookTable::Tick, {"4:kim", "2:" + ga, "3:Kim", "1:Kimm"}},
        {AddressBookTable::Phone, {"1:Kimm", "3:Kim", "2:" + ga, "4:kim"}},
        {AddressBookTable::Date, {"4:kim", "2:" + ga, "3:Kim", "1:Kimm"}},
        {AddressBookTable::Date, {"1:Kimm", "3:Kim", "2:" + ga, "4:kim"}},
    };
    for (const Click& c : clicks) {
        table.sortBy(c.column);
        EXPECT_EQ(names(), c.order) << c.column;
    }
}

TEST_F(AddressBookTableTest, TickedRowsGoToTheSendFormInTableOrder) {
    table.selectGroup(ko("친구"));
    table.sortBy(AddressBookTable::Name);
    std::string transfer = "earlier\x04"
                           "1\x02";
    long long total = 5;
    EXPECT_FALSE(table.handOver(*web, transfer, total));
    table.setTicked(0, true);
    table.setTicked(3, true);
    ASSERT_TRUE(table.handOver(*web, transfer, total));
    EXPECT_EQ(transfer, "earlier\x04"
                        "1\x02"
                        "Kim\x04"
                        "0102\x02" +
                            ko("가나") +
                            "\x04"
                            "0101\x02");
    EXPECT_EQ(total, 7);
    table.tickAll(true);
    EXPECT_EQ(table.tickedCount(), 4u);
    ASSERT_TRUE(table.handOver(*web, transfer, total));
    EXPECT_EQ(total, 11);
    EXPECT_EQ(notifier.shown(), (Shown{errorBox("발송 데이터을 선택하세요."),
                                       plainBox(" 2 건 데이터이동 완료!\n\n  총 [7] 건 "),
                                       plainBox(" 4 건 데이터이동 완료!\n\n  총 [11] 건 ")}));

    login.loggedIn = false;
    notifier.clear();
    EXPECT_FALSE(table.handOver(*web, transfer, total));
    EXPECT_EQ(transfer, "");
    EXPECT_EQ(notifier.shown(), Shown{errorBox("로그인이 되어 있지 않습니다.")});
}

TEST_F(AddressBookTableTest, EntriesHoldingTheTransferSeparatorsStayBehind) {
    for (const auto& [hpno, name] :
         std::vector<std::pair<std::string, std::string>>{{"01011112222", "a\x02"
                                                                          "b"},
                                                          {"0102\x04"
                                                           "3",
                                                           "c"},
                                                          {"01044445555", "ok"},
                                                          {"01066667777", "d\x04"}})
        store().addEntry(user(), {0, "sep", hpno, name, "", "2024-03-01"});
    ASSERT_TRUE(book.reload());
    table.selectGroup("sep");
    table.toggleAll();
    EXPECT_TRUE(table.allTicked());
    std::string transfer;
    long long total = 0;
    ASSERT_TRUE(table.handOver(*web, transfer, total));
    EXPECT_EQ(transfer, "ok\x04"
                        "01044445555\x02");
    EXPECT_EQ(total, 1);
    table.setTicked(2, false);
    EXPECT_FALSE(table.handOver(*web, transfer, total));
    EXPECT_EQ(total, 1);
    EXPECT_EQ(notifier.shown(),
              (Shown{errorBox("이름이나 전화번호에 구분 문자가 있는 3 건은 제외했습니다."),
                     plainBox(" 1 건 데이터이동 완료!\n\n  총 [1] 건 "),
                     errorBox("이름이나 전화번호에 구분 문자가 있는 3 건은 제외했습니다.")}));
}

} // namespace
} // namespace qb::test
