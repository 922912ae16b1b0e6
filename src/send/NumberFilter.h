#pragma once

#include "send/RejectList.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Which recipient rows go out: the first row of each number when duplicates are
// removed, and not the rows a reject list names, each reject number taking away
// at most one row, the earliest. Ten million rows are a normal day, so numbers
// are compared as integers, split by a hash into buckets small enough for their
// tables to stay in the cache, and the buckets are shared between two cores;
// memory is about 20 bytes a row at most.
namespace qb {

// A number of 8 to 15 digits (as phoneDigits gives it) as one integer: equal keys
// are equal digit strings, leading zeros included.
std::uint64_t numberKey(std::string_view digits);
// The key of a row that is not a candidate (a number-format error).
inline constexpr std::uint64_t kNoNumber = ~std::uint64_t{0};

// Keys split into buckets by a hash of the key, so that equal keys share a bucket.
struct KeyBuckets {
    unsigned bits = 1;               // 2^bits buckets
    std::vector<std::uint64_t> keys; // bucket by bucket
    std::vector<std::size_t> starts; // bucket b is keys[starts[b], starts[b + 1])

    // The bucket count that suits `count` keys.
    static unsigned bitsFor(std::size_t count);
    static std::size_t bucketOf(std::uint64_t key, unsigned bits) {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> (64 - bits));
    }
};

// The reject lists' numbers as keys (tokens that are no number by the candidates'
// rule cannot match one and are left out), in buckets of `bits` bits.
KeyBuckets rejectKeys(const RejectTable& table, unsigned bits);

struct RowChoice {
    std::vector<std::uint64_t> kept; // a bit per row position
    // Rows left out as a later copy of a number, and as a reject list's number; a
    // row in none of the three sets was no number.
    std::vector<std::uint64_t> duplicate, rejectedRows;
    std::size_t keptCount = 0;
    long long duplicates = 0;
    long long rejected = 0;

    bool isKept(std::size_t i) const { return (kept[i / 64] >> (i % 64)) & 1; }
    bool isDuplicate(std::size_t i) const { return (duplicate[i / 64] >> (i % 64)) & 1; }
    bool isRejected(std::size_t i) const { return (rejectedRows[i / 64] >> (i % 64)) & 1; }
};

// The kept positions in order, from the `skip`-th kept one.
class KeptCursor {
public:
    KeptCursor(const RowChoice& choice, std::size_t skip);
    // The next kept position; only as many calls as there are kept positions left.
    std::size_t next();
    // Passes over the next `count` kept positions.
    void skip(std::size_t count);

private:
    const std::vector<std::uint64_t>& m_kept;
    std::size_t m_word = 0;
    std::uint64_t m_bits = 0;
};

// keys[i] is position i's key or kNoNumber. `rejects` may be null (no reject
// filtering); its buckets are made again if their bits do not suit the keys
// (KeyBuckets::bitsFor(keys.size()) avoids that).
RowChoice chooseRows(std::vector<std::uint64_t> keys, bool dedup, KeyBuckets* rejects);

} // namespace qb
