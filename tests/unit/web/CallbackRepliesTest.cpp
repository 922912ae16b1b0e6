#include "web/CallbackNumbers.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs pairsOf(const std::vector<CallbackRow>& rows) {
    Pairs out;
    for (const CallbackRow& r : rows) {
        out.emplace_back(r.number, r.date);
        EXPECT_FALSE(r.ticked);
    }
    return out;
}

TEST(CallbackReplies, DialogRowsAreThePairsReversed) {
    const std::vector<std::pair<std::string, Pairs>> cases{
        {"", {}},
        {"|||", {}},
        {"0212345678|2024-01-02", {{"0212345678", "2024-01-02"}}},
        {"a|1|b|2", {{"b", "2"}, {"a", "1"}}},
        {"a|1|b|2|c", {{"c", ""}, {"b", "2"}, {"a", "1"}}},
        {"|a||1|||b|2|", {{"b", "2"}, {"a", "1"}}},
    };
    for (const auto& [reply, rows] : cases)
        EXPECT_EQ(pairsOf(callbackRowsFromReply(reply)), rows) << reply;
}

TEST(CallbackReplies, BalanceLineTexts) {
    struct Case {
        std::string reply;
        BalanceLine line;
    };
    const std::vector<Case> cases{
        {"12000|20|50|200|3|4|5",
         {"12,000", "[SMS] 20 / [LMS] 50 / [MMS] 200 ", "[SMS] 3 / [LMS] 4 / [MMS] 5 ", {"20", "50", "200"}}},
        // Amounts are shown grouped; what is not a plain integer stays as written.
        {"10000000|1200|0020|x|1500000|-2500|1,000",
         {"10,000,000",
          "[SMS] 1,200 / [LMS] 0020 / [MMS] x ",
          "[SMS] 1,500,000 / [LMS] -2,500 / [MMS] 1,000 ",
          {"1200", "0020", "x"}}},
        {"12000|20", {"12,000", "[SMS] 20 / [LMS]  / [MMS]  ", "[SMS]  / [LMS]  / [MMS]  ", {"20", "", ""}}},
        {"", {"", "[SMS]  / [LMS]  / [MMS]  ", "[SMS]  / [LMS]  / [MMS]  ", {}}},
        {"1|2|3|4|5|6|7|8",
         {"1", "[SMS] 2 / [LMS] 3 / [MMS] 4 ", "[SMS] 5 / [LMS] 6 / [MMS] 7 ", {"2", "3", "4"}}},
        {"|1||2|3|4|5|6|7|",
         {"1", "[SMS] 2 / [LMS] 3 / [MMS] 4 ", "[SMS] 5 / [LMS] 6 / [MMS] 7 ", {"2", "3", "4"}}},
    };
    for (const Case& c : cases) {
        const BalanceLine got = balanceFromReply(c.reply);
        EXPECT_EQ(got.balance, c.line.balance) << c.reply;
        EXPECT_EQ(got.prices, c.line.prices) << c.reply;
        EXPECT_EQ(got.counts, c.line.counts) << c.reply;
        EXPECT_EQ(got.unitPrices, c.line.unitPrices) << c.reply; // what the cost is reckoned from
    }
}

} // namespace
} // namespace qb
