#include "send/RecordCursor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qb {
namespace {

// A run of three records, "aaa" "bb" "cccc", lying together from offset 100 of their block.
struct ThreeRecords {
    std::string bytes = "aaabbcccc";
    std::vector<std::uint32_t> ends{103, 105, 109};
    RecordsAhead::Run run() const { return {bytes, ends.data(), 100, ends.size()}; }
};

// What each send takes, and where the cursor stands after it: the records of the
// run it finished past the one held, the bytes of the held record sent, and what
// the next send offers.
TEST(RecordCursor, SendsThatEndAnywhereInTheRunMoveThroughItsRecords) {
    struct Step {
        std::size_t took, finished, sent;
        std::string offered;
    };
    const std::vector<std::pair<const char*, std::vector<Step>>> cases{
        {"one send takes all", {{9, 2, 4, ""}}},
        {"record by record", {{3, 0, 3, "bbcccc"}, {2, 1, 2, "cccc"}, {4, 1, 4, ""}}},
        {"a record in two parts", {{1, 0, 1, "aabbcccc"}, {2, 0, 3, "bbcccc"}, {6, 2, 4, ""}}},
        {"ends in the second", {{4, 1, 1, "bcccc"}, {1, 0, 2, "cccc"}, {4, 1, 4, ""}}},
        {"ends on the boundary", {{5, 1, 2, "cccc"}, {3, 1, 3, "c"}, {1, 0, 4, ""}}},
    };
    for (const auto& [name, steps] : cases) {
        SCOPED_TRACE(name);
        const ThreeRecords r;
        RecordCursor c;
        c.startRun(r.run());
        c.holdFromRun();
        EXPECT_EQ(std::string(c.data(), c.offered()), r.bytes);
        for (const Step& s : steps) {
            EXPECT_EQ(c.took(s.took), s.finished);
            EXPECT_EQ(c.sent(), s.sent);
            EXPECT_EQ(std::string(c.data(), c.offered()), s.offered);
        }
        EXPECT_TRUE(c.recordDone());
        EXPECT_FALSE(c.inRun());
    }
}

TEST(RecordCursor, OwnRecordsOfferThemselvesAloneAndResetForgetsTheRun) {
    const ThreeRecords r;
    RecordCursor c;
    c.startRun(r.run());
    c.holdFromRun();
    c.reset();
    EXPECT_FALSE(c.holding());
    EXPECT_FALSE(c.inRun());
    c.own() = "xyz";
    c.holdOwn();
    EXPECT_TRUE(c.holding());
    EXPECT_EQ(std::string(c.data(), c.offered()), "xyz");
    EXPECT_EQ(c.took(3), 0u);
    EXPECT_TRUE(c.recordDone());
    c.release();
    EXPECT_FALSE(c.holding());
}

} // namespace
} // namespace qb
