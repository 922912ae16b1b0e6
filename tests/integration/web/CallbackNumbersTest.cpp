#include "WebFixture.h"

#include "common/Cp949.h"
#include "web/CallbackNumbers.h"

#include <gtest/gtest.h>

namespace qb::test {
namespace {

using Shown = std::vector<test::Shown>;

Shown question(const std::string& number) {
    return {{number + ko("을 삭제 하시겠습니까?"), MessageIcon::Error, defaultCaption(), true}};
}

Shown operator+(Shown a, const Shown& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class CallbackNumbersTest : public WebFixture {
protected:
    void SetUp() override {
        store().addCallback(user(), "0211112222", "2024-01-01");
        store().addCallback(user(), "0233334444", "2024-02-02");
        store().addCallback(user(), "0255556666", "2024-03-03");
    }
    std::vector<std::string> numbers(const CallbackList& list) const {
        std::vector<std::string> out;
        for (const CallbackRow& r : list.rows())
            out.push_back(r.number + " " + r.date);
        return out;
    }
    std::vector<std::string> remaining() {
        std::vector<std::string> out;
        for (const auto& c : store().callbacks(user()))
            out.push_back(c.number);
        return out;
    }
};

TEST_F(CallbackNumbersTest, TheDialogListsThePairsNewestFirst) {
    CallbackList list(*web);
    ASSERT_TRUE(list.load());
    EXPECT_EQ(numbers(list), (std::vector<std::string>{"0255556666 2024-03-03", "0233334444 2024-02-02",
                                                       "0211112222 2024-01-01"}));
    EXPECT_TRUE(notifier.shown().empty());
}

TEST_F(CallbackNumbersTest, DeletingAsksAboutEachTickedRow) {
    CallbackList list(*web);
    ASSERT_TRUE(list.load());
    list.setTicked(0, true);
    list.setTicked(1, true);
    notifier.answerNext(true);
    notifier.answerNext(true);
    EXPECT_EQ(list.deleteTicked(), 2u);
    EXPECT_EQ(notifier.shown(),
              question("0255556666") + question("0233334444") + Shown{plainBox("삭제 되었습니다.!")});
    EXPECT_EQ(numbers(list), std::vector<std::string>{"0211112222 2024-01-01"});
    EXPECT_EQ(remaining(), std::vector<std::string>{"0211112222"});
}

TEST_F(CallbackNumbersTest, NoKeepsTheRowAndNothingDeletedSaysSo) {
    CallbackList list(*web);
    ASSERT_TRUE(list.load());
    EXPECT_EQ(list.deleteTicked(), 0u); // nothing ticked
    list.setTicked(2, true);
    notifier.answerNext(false);
    EXPECT_EQ(list.deleteTicked(), 0u);
    EXPECT_EQ(notifier.shown(), Shown{errorBox("삭제할 데이터가 없습니다!")} + question("0211112222") +
                                    Shown{errorBox("삭제할 데이터가 없습니다!")});
    EXPECT_EQ(list.rows().size(), 3u);
    EXPECT_EQ(remaining().size(), 3u);
}

TEST_F(CallbackNumbersTest, AFailedDeleteStopsTheWholeAction) {
    CallbackList list(*web);
    ASSERT_TRUE(list.load());
    for (std::size_t i = 0; i < 3; ++i)
        list.setTicked(i, true);
    notifier.answerNext(false);
    notifier.answerNext(true);
    notifier.answerNext(true);
    server.faults().set("delcallback.jsp", {qbs::WebFault::ServerError});
    EXPECT_EQ(list.deleteTicked(), 0u);
    EXPECT_EQ(notifier.shown(), question("0255556666") + question("0233334444") +
                                    Shown{errorBox("서버와의 통신이 원활하지 않습니다.")});
    EXPECT_EQ(list.rows().size(), 3u);
    EXPECT_EQ(remaining().size(), 3u);
}

TEST_F(CallbackNumbersTest, NumbersWithQuerySyntaxAreDeletedExactly) {
    store().addCallback(user(), "02 1&callback=0211112222", "odd");
    CallbackList list(*web);
    ASSERT_TRUE(list.load());
    list.setTicked(0, true);
    notifier.answerNext(true);
    EXPECT_EQ(list.deleteTicked(), 1u);
    EXPECT_EQ(remaining(), (std::vector<std::string>{"0211112222", "0233334444", "0255556666"}));
}

TEST_F(CallbackNumbersTest, ListFailureLeavesItEmpty) {
    server.faults().set("Rcvcallbackviewdetail.jsp", {qbs::WebFault::Slow, 3000});
    WebHost quick = host;
    quick.timeouts.totalMs = 300;
    WebClient client(login, notifier, quick);
    CallbackList list(client);
    EXPECT_FALSE(list.load());
    EXPECT_TRUE(list.rows().empty());
    EXPECT_EQ(notifier.shown(), Shown{errorBox("서버와의 통신이 원활하지 않습니다.")});
}

TEST_F(CallbackNumbersTest, SendFormChoicesInReplyOrder) {
    std::vector<std::string> choices{"stale"};
    ASSERT_TRUE(loadCallbackChoices(*web, choices));
    EXPECT_EQ(choices, (std::vector<std::string>{"0211112222", "0233334444", "0255556666"}));

    server.faults().set("Rcvcallbackview.jsp", {qbs::WebFault::ServerError});
    EXPECT_FALSE(loadCallbackChoices(*web, choices));
    EXPECT_TRUE(choices.empty());
    login.loggedIn = false;
    EXPECT_FALSE(loadCallbackChoices(*web, choices));
    EXPECT_EQ(notifier.shown(), (Shown{errorBox("서버와의 통신이 원활하지 않습니다."),
                                       errorBox("로그인이 되어 있지 않습니다.")}));
}

TEST_F(CallbackNumbersTest, BalanceLine) {
    store().setBalance(user(), {"15300", {"20", "45", "180"}, {"765", "0", "12"}});
    BalanceLine line;
    ASSERT_TRUE(loadBalanceLine(*web, line));
    EXPECT_EQ(line.balance, "15,300");
    EXPECT_EQ(line.prices, "[SMS] 20 / [LMS] 45 / [MMS] 180 ");
    EXPECT_EQ(line.counts, "[SMS] 765 / [LMS] 0 / [MMS] 12 ");

    server.faults().set("ClientStatview.jsp", qbs::FaultRule::canned(200, "9|8"));
    ASSERT_TRUE(loadBalanceLine(*web, line));
    EXPECT_EQ(line.balance, "9");
    EXPECT_EQ(line.prices, "[SMS] 8 / [LMS]  / [MMS]  ");

    server.faults().set("ClientStatview.jsp", {qbs::WebFault::Truncated});
    EXPECT_FALSE(loadBalanceLine(*web, line));
    EXPECT_EQ(line.balance, "9"); // left as it was
    EXPECT_EQ(notifier.shown(), Shown{errorBox("서버와의 통신이 원활하지 않습니다.")});
}

} // namespace
} // namespace qb::test
