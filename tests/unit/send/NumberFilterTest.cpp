#include "send/NumberFilter.h"
#include "common/ArenaOffsets.h"
#include "common/Pipeline.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using namespace qb;

namespace {

// Positions are letters' indexes; "" is a number-format error.
std::vector<std::uint64_t> keysOf(const std::vector<std::string>& numbers) {
    std::vector<std::uint64_t> keys;
    keys.reserve(numbers.size());
    for (const std::string& n : numbers)
        keys.push_back(n.empty() ? kNoNumber : numberKey(n));
    return keys;
}

KeyBuckets bucketsOf(const std::vector<std::string>& numbers, std::size_t rows) {
    KeyBuckets b;
    b.bits = KeyBuckets::bitsFor(rows);
    std::vector<std::size_t> counts(std::size_t{1} << b.bits);
    for (const std::string& n : numbers)
        ++counts[KeyBuckets::bucketOf(numberKey(n), b.bits)];
    b.starts.assign(counts.size() + 1, 0);
    for (std::size_t i = 0; i < counts.size(); ++i)
        b.starts[i + 1] = b.starts[i] + counts[i];
    b.keys.resize(b.starts.back());
    std::vector<std::size_t> at(b.starts.begin(), b.starts.end() - 1);
    for (const std::string& n : numbers)
        b.keys[at[KeyBuckets::bucketOf(numberKey(n), b.bits)]++] = numberKey(n);
    return b;
}

std::vector<std::size_t> keptOf(const RowChoice& c, std::size_t rows) {
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < rows; ++i)
        if (c.isKept(i))
            kept.push_back(i);
    return kept;
}

// The rule written the slow way: the first of each number, then each reject taking the earliest row left.
std::vector<std::size_t> reference(const std::vector<std::string>& numbers, bool dedup,
                                   const std::vector<std::string>& rejects) {
    std::map<std::string, int> left;
    for (const std::string& r : rejects)
        ++left[r];
    std::map<std::string, bool> seen;
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const std::string& n = numbers[i];
        if (n.empty() || (dedup && seen[n]))
            continue;
        seen[n] = true;
        if (left[n] > 0) {
            --left[n];
            continue;
        }
        kept.push_back(i);
    }
    return kept;
}

} // namespace

TEST(NumberFilter, KeysTellEveryDigitStringApart) {
    EXPECT_NE(numberKey("01012345678"), numberKey("1012345678"));
    EXPECT_NE(numberKey("00000000"), numberKey("000000000"));
    EXPECT_EQ(numberKey("999999999999999"), numberKey(std::string(15, '9')));
    EXPECT_NE(numberKey("999999999999999"), kNoNumber);
    EXPECT_LT(numberKey("999999999999999"), std::uint64_t{1} << 54);
}

TEST(NumberFilter, FirstOfEachNumberAndEarliestRowsForRejects) {
    struct Case {
        const char* name;
        std::vector<std::string> numbers;
        bool dedup;
        std::vector<std::string> rejects;
        std::vector<std::size_t> kept;
        long long duplicates, rejected;
    } cases[] = {
        {"nothing", {}, true, {}, {}, 0, 0},
        {"duplicates keep the first", {"01011112222", "01033334444", "01011112222"}, true, {}, {0, 1}, 1, 0},
        {"format errors are neither", {"", "01011112222", ""}, true, {}, {1}, 0, 0},
        {"a reject takes one row", {"01011112222", "01011112222"}, false, {"01011112222"}, {1}, 0, 1},
        {"two rejects take two",
         {"01011112222", "01011112222"},
         false,
         {"01011112222", "01011112222"},
         {},
         0,
         2},
        {"dedup before rejects", {"01011112222", "01011112222", "0109"}, true, {"01011112222"}, {2}, 1, 1},
        {"unmatched rejects do nothing", {"01011112222"}, true, {"01099998888"}, {0}, 0, 0},
    };
    for (Case& c : cases) {
        KeyBuckets rejects = bucketsOf(c.rejects, c.numbers.size());
        const RowChoice choice = chooseRows(keysOf(c.numbers), c.dedup, &rejects);
        EXPECT_EQ(keptOf(choice, c.numbers.size()), c.kept) << c.name;
        EXPECT_EQ(choice.keptCount, c.kept.size()) << c.name;
        EXPECT_EQ(choice.duplicates, c.duplicates) << c.name;
        EXPECT_EQ(choice.rejected, c.rejected) << c.name;
    }
}

TEST(NumberFilter, TwoCoresChooseWhatTheRuleChooses) {
    // Enough rows for the second core and many buckets; few distinct numbers, so
    // duplicates and rejects with repeats are common.
    std::mt19937 rng(7);
    std::vector<std::string> numbers(200000), rejects(30000);
    for (std::string& n : numbers)
        n = rng() % 50 == 0 ? std::string() : "0101234" + std::to_string(1000 + rng() % 9000);
    for (std::string& r : rejects)
        r = "0101234" + std::to_string(1000 + rng() % 9000);
    for (const bool dedup : {true, false}) {
        KeyBuckets b = bucketsOf(rejects, 1); // other bits: made again inside
        const RowChoice choice = chooseRows(keysOf(numbers), dedup, &b);
        EXPECT_EQ(keptOf(choice, numbers.size()), reference(numbers, dedup, rejects)) << dedup;
        const RowChoice all = chooseRows(keysOf(numbers), dedup, nullptr);
        EXPECT_EQ(keptOf(all, numbers.size()), reference(numbers, dedup, {})) << dedup;
        // The cursor walks the same rows from any start.
        const std::vector<std::size_t> kept = keptOf(all, numbers.size());
        ASSERT_GT(kept.size(), 2000u);
        KeptCursor cursor(all, 1000);
        for (std::size_t i = 1000; i < kept.size(); ++i)
            ASSERT_EQ(cursor.next(), kept[i]);
        for (const std::size_t step : {0u, 1u, 63u, 64u, 700u}) {
            KeptCursor skipping(all, 5);
            for (std::size_t i = 5; i < kept.size(); i += step + 1) {
                ASSERT_EQ(skipping.next(), kept[i]) << step;
                skipping.skip(step);
            }
        }
    }
}

// The reject files' numbers as keys, each in its bucket as often as it is listed,
// whatever core read it; tokens that are no number are left out.
TEST(NumberFilter, RejectFilesReadOnTwoCoresGiveEveryKey) {
    test::TempDir dir;
    std::vector<std::string> listed(40000);
    std::string big;
    std::mt19937 rng(3);
    // Every token and its separator take 12 bytes, so the middle is a token's first byte.
    for (std::size_t i = 0; i < listed.size(); ++i)
        big += (listed[i] = "0101234" + std::to_string(1000 + rng() % 9000)) + (i % 2 ? "\n" : " ") +
               (i % 1000 ? "" : "x1234567890 ");
    listed.insert(listed.end(), 2, "01011112222");
    dir.write("msg/RAZIDODU.ini", "[Reject]\r\nReject_001=TRUE,a.txt," + dir.write("a.txt", big) +
                                      "\r\nReject_002=TRUE,b.txt," +
                                      dir.write("b.txt", "01011112222\r\n01011112222") + "\r\n");
    // Each bucket's keys sorted: the order within a bucket does not count.
    const auto sorted = [](KeyBuckets k) {
        for (std::size_t b = 0; b + 1 < k.starts.size(); ++b)
            std::sort(k.keys.begin() + static_cast<std::ptrdiff_t>(k.starts[b]),
                      k.keys.begin() + static_cast<std::ptrdiff_t>(k.starts[b + 1]));
        return k;
    };
    const KeyBuckets wanted = sorted(bucketsOf(listed, 100000)); // 32 buckets
    const KeyBuckets got = sorted(rejectKeys(RejectTable::inWorkingFolder(dir.path()), wanted.bits));
    EXPECT_EQ(got.bits, 5u);
    EXPECT_EQ(got.starts, wanted.starts);
    EXPECT_EQ(got.keys, wanted.keys);
}

// One maker or several: taken in order, either side stops the run, and a failing
// block lets the ones before it through.
TEST(Pipeline, BlocksArriveInOrderAndEitherSideStops) {
    for (const std::size_t makers : {1u, 2u, 3u}) {
        std::vector<std::size_t> seen;
        EXPECT_TRUE(runPipelined<std::size_t>(
            500, 4, [](std::size_t i, std::size_t& b) { b = i * 7; },
            [&](std::size_t, std::size_t& b) {
                seen.push_back(b / 7);
                return true;
            },
            makers));
        ASSERT_EQ(seen.size(), 500u);
        for (std::size_t i = 0; i < seen.size(); ++i)
            ASSERT_EQ(seen[i], i);
        seen.clear();
        EXPECT_THROW(runPipelined<std::size_t>(
                         500, 4,
                         [](std::size_t i, std::size_t& b) {
                             if (i == 40 || i == 41)
                                 throw std::runtime_error("bad block");
                             b = i;
                         },
                         [&](std::size_t, std::size_t& b) {
                             seen.push_back(b);
                             return true;
                         },
                         makers),
                     std::runtime_error);
        EXPECT_EQ(seen.size(), 40u);
        EXPECT_FALSE(runPipelined<int>(
            1000, 2, [](std::size_t, int&) {}, [](std::size_t i, int&) { return i < 10; }, makers));
    }
}

TEST(ArenaOffsets, FiveBytesReachPastFourGigabytes) {
    ArenaOffsets o;
    const std::uint64_t values[] = {0, 0xFFFFFFFFu, 0x100000000u, ArenaOffsets::kMax};
    for (const std::uint64_t v : values)
        o.push_back(v);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(o[i], values[i]);
    o.erase(1, 3);
    ASSERT_EQ(o.size(), 2u);
    EXPECT_EQ(o[1], ArenaOffsets::kMax);
    EXPECT_THROW(o.push_back(ArenaOffsets::kMax + 1), std::length_error);
}
