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

SendRecord numbered(int i) {
    SendRecord r;
    r.number = "010" + std::to_string(10000000 + i);
    r.body = i % 1000 == 999 ? "merged " + std::to_string(i) : "the same body";
    r.title = i % 2 ? "t" : "";
    r.callbackNumber = "0212345678";
    r.reservation = immediateReservation();
    r.displayBody = i % 7 ? r.body : "shown " + std::to_string(i);
    return r;
}

void expectRecord(const SendRecord& r, int i) {
    const SendRecord want = numbered(i);
    ASSERT_EQ(r.number, want.number) << i;
    ASSERT_EQ(r.body, want.body) << i;
    ASSERT_EQ(r.title, want.title) << i;
    ASSERT_EQ(r.callbackNumber, want.callbackNumber) << i;
    ASSERT_EQ(r.reservation, want.reservation) << i;
    ASSERT_EQ(r.displayBody, want.displayBody) << i;
}

TEST(SendQueue, TakenRecordsCanBeGivenBackAndRepeatedFieldsCostLittle) {
    const int n = 50000; // references reach back across many records
    SendQueue q;
    for (int i = 0; i < n; ++i)
        q.push_back(numbered(i));
    // Stored in full, a record is about 50 bytes; repeated fields are references.
    EXPECT_LT(q.arenaBytes(), std::size_t(n) * 30);
    for (int i = 0; i < n; ++i)
        q.pop_front();
    EXPECT_TRUE(q.empty());
    EXPECT_EQ(q.taken(), std::size_t(n));
    q.rewind(3);
    ASSERT_EQ(q.size(), 3u);
    expectRecord(q.front(), n - 3);
    q.seek(12345);
    EXPECT_EQ(q.size(), std::size_t(n - 12345));
    for (int i = 12345; i < n; ++i) {
        expectRecord(q.front(), i);
        q.pop_front();
    }
    EXPECT_THROW(q.rewind(n + 1), std::out_of_range);
    EXPECT_THROW(q.seek(n + 1), std::out_of_range);
}

// Bytes handed to another thread never change under it.
TEST(SendQueue, SharedBytesStayAsTheyWereWhateverTheQueueDoes) {
    SendQueue q;
    for (int i = 0; i < 3; ++i)
        q.push_back(numbered(i));
    std::shared_ptr<const std::string> shared = q.sharedArena();
    const std::string three = *shared;
    q.push_back(numbered(3));
    EXPECT_EQ(*shared, three);
    ASSERT_EQ(q.size(), 4u);
    for (int i = 0; i < 4; ++i)
        expectRecord(q.at(static_cast<std::size_t>(i)), i);
    shared = q.sharedArena();
    const std::string four = *shared;
    q.clear();
    q.push_back(numbered(9));
    EXPECT_EQ(*shared, four);
    expectRecord(q.at(0), 9);
}

TEST(SendQueue, AnArenaReadBackHoldsTheSameRecordsAndABrokenOneIsRefused) {
    SendQueue q;
    for (int i = 0; i < 3000; ++i)
        q.push_back(numbered(i));
    SendQueue back;
    ASSERT_TRUE(SendQueue::fromArena(q.arena(), back));
    ASSERT_EQ(back.size(), q.size());
    for (int i = 0; i < 3000; ++i)
        expectRecord(back.at(static_cast<std::size_t>(i)), i);
    // Every cut inside the last record, a reference before the start, a length past the end.
    const std::string& a = q.arena();
    SendQueue refused;
    for (std::size_t cut = 1; cut < 20; ++cut)
        EXPECT_FALSE(SendQueue::fromArena(a.substr(0, a.size() - cut), refused)) << cut;
    EXPECT_FALSE(SendQueue::fromArena(std::string("\x04\x05", 2) + std::string(10, '\x01'), refused));
    EXPECT_FALSE(SendQueue::fromArena(std::string("\x7f", 1), refused));
    EXPECT_FALSE(SendQueue::fromArena(std::string("\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff", 10), refused));
    ASSERT_TRUE(SendQueue::fromArena(std::string(), refused));
    EXPECT_TRUE(refused.empty());
}

// Filled in pieces by several threads: the same records, and bytes the journal can read back.
TEST(SendQueue, QueuesAppendedWholeReadAsOneAndTakeMoreRecords) {
    SendQueue q;
    q.push_back(numbered(0));
    for (const int end : {1, 1, 700, 3000}) { // an empty piece, a short and a long one
        SendQueue piece;
        for (int i = static_cast<int>(q.total()); i < end; ++i)
            piece.push_back(numbered(i));
        q.append(piece);
    }
    q.push_back(numbered(3000)); // refers back into the last piece
    ASSERT_EQ(q.size(), 3001u);
    SendQueue back;
    ASSERT_TRUE(SendQueue::fromArena(q.arena(), back));
    for (int i = 0; i <= 3000; ++i) {
        expectRecord(q.at(static_cast<std::size_t>(i)), i);
        expectRecord(back.at(static_cast<std::size_t>(i)), i);
    }
}
