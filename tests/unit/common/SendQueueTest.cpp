#include "common/SendQueue.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace qb;

TEST(SendQueue, KeepsRecordsInOrderAcrossTakingFromTheFront) {
    SendQueue q;
    const int n = 10000;
    for (int i = 0; i < n; ++i) {
        SendRecord r;
        r.number = "010" + std::to_string(10000000 + i);
        r.body = std::string(static_cast<std::size_t>(i % 300), 'b') + "\n";
        r.title = i % 2 ? "t" : "";
        r.callbackNumber = "0212345678";
        r.reservation = immediateReservation();
        r.displayBody = i % 3 ? "d" + std::to_string(i) : r.body; // often the same text
        q.push_back(r);
    }
    ASSERT_EQ(q.size(), std::size_t(n));
    EXPECT_EQ(q.at(123).body, std::string(123, 'b') + "\n");
    for (int i = 0; i < n; ++i) {
        const SendRecord r = q.front();
        ASSERT_EQ(r.number, "010" + std::to_string(10000000 + i)) << i;
        ASSERT_EQ(r.displayBody, i % 3 ? "d" + std::to_string(i) : r.body);
        ASSERT_EQ(r.title, i % 2 ? "t" : "");
        q.pop_front();
        if (i + 1 < n) {
            ASSERT_EQ(q.at(0).number, "010" + std::to_string(10000001 + i));
        }
    }
    EXPECT_TRUE(q.empty());
    EXPECT_THROW(q.pop_front(), std::out_of_range);
    EXPECT_THROW(q.at(0), std::out_of_range);
}

TEST(SendQueue, ARecordTakenCanBePutBackInFrontOfTheRest) {
    const auto make = [](int i) {
        SendRecord r;
        r.number = "010" + std::to_string(10000000 + i);
        r.body = "body " + std::to_string(i);
        r.title = i % 2 ? "t" : "";
        r.callbackNumber = "0212345678";
        r.reservation = immediateReservation();
        r.displayBody = r.body;
        return r;
    };
    // Taken before the arena is given back, right after it, and as the very last record.
    for (const int taken : {1, 4096, 5000, 6000}) {
        SCOPED_TRACE(taken);
        SendQueue q;
        for (int i = 0; i < 6000; ++i)
            q.push_back(make(i));
        TakenRecord t;
        for (int i = 0; i < taken; ++i)
            q.takeFront(t);
        EXPECT_EQ(t.view().number, make(taken - 1).number);
        EXPECT_EQ(q.size(), static_cast<std::size_t>(6000 - taken));
        q.putBack(t);
        ASSERT_EQ(q.size(), static_cast<std::size_t>(6000 - taken + 1));
        for (int i = taken - 1; i < 6000; ++i) {
            const SendRecord r = q.front();
            ASSERT_EQ(r.number, make(i).number) << i;
            ASSERT_EQ(r.body, make(i).body);
            ASSERT_EQ(r.title, make(i).title);
            ASSERT_EQ(r.displayBody, r.body);
            q.pop_front();
        }
        EXPECT_TRUE(q.empty());
    }
    SendQueue q;
    q.push_back(make(1));
    q.putBack(TakenRecord{}); // nothing taken, nothing put back
    EXPECT_EQ(q.size(), 1u);
    TakenRecord t;
    EXPECT_THROW(t.view(), std::out_of_range);
    q.takeFront(t);
    EXPECT_THROW(q.takeFront(t), std::out_of_range);
}
