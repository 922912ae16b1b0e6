#include "send/NumberFilter.h"

#include "common/PhoneNumber.h"
#include "common/Pipeline.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <limits>
#include <sys/stat.h>
#include <utility>

namespace qb {
namespace {

// Counts per bucket turned into starts; starts.back() is the total.
std::vector<std::size_t> startsFromCounts(std::vector<std::size_t> counts) {
    std::vector<std::size_t> starts(counts.size() + 1);
    for (std::size_t b = 0; b < counts.size(); ++b)
        starts[b + 1] = starts[b] + counts[b];
    return starts;
}

// The buckets' starts for keys counted in two halves.
std::vector<std::size_t> startsFromHalves(const std::vector<std::size_t> (&counts)[2]) {
    std::vector<std::size_t> both(counts[0]);
    for (std::size_t b = 0; b < both.size(); ++b)
        both[b] += counts[1][b];
    return startsFromCounts(std::move(both));
}

// Where half `half`'s keys go in each bucket: the first half's before the second's.
std::vector<std::size_t> headsOfHalf(const std::vector<std::size_t>& starts,
                                     const std::vector<std::size_t> (&counts)[2], std::size_t half) {
    std::vector<std::size_t> heads(starts.begin(), starts.end() - 1);
    if (half == 1)
        for (std::size_t b = 0; b < heads.size(); ++b)
            heads[b] += counts[0][b];
    return heads;
}

// Puts every key into its bucket's range in place (each key moves at most once).
void partitionInPlace(std::vector<std::uint64_t>& keys, unsigned bits,
                      const std::vector<std::size_t>& starts) {
    const std::size_t buckets = starts.size() - 1;
    std::vector<std::size_t> heads(starts.begin(), starts.end() - 1);
    for (std::size_t b = 0; b < buckets; ++b) {
        while (heads[b] < starts[b + 1]) {
            std::uint64_t v = keys[heads[b]];
            std::size_t t = KeyBuckets::bucketOf(v, bits);
            while (t != b) {
                std::swap(v, keys[heads[t]++]);
                t = KeyBuckets::bucketOf(v, bits);
            }
            keys[heads[b]++] = v;
        }
    }
}

struct Tally {
    long long duplicates = 0;
    long long rejected = 0;
};

// A small table of keys for one bucket at a time: a few thousand keys, so it stays
// in the core's cache. Key 0 never occurs (a key holds its length, 8 or more).
class BucketTable {
public:
    // Room for `count` keys, emptied.
    void reset(std::size_t count) {
        unsigned bits = 4;
        while ((std::size_t{1} << bits) < 2 * count)
            ++bits;
        m_shift = 64 - bits;
        m_mask = (std::size_t{1} << bits) - 1;
        m_keys.assign(m_mask + 1, 0);
        m_counts.assign(m_mask + 1, 0);
    }
    // The count kept for `key`, made 0 when it was not there yet.
    std::uint32_t& at(std::uint64_t key) {
        const std::size_t i = slot(key);
        m_keys[i] = key;
        return m_counts[i];
    }
    // The count kept for `key`; null when it is not there.
    std::uint32_t* find(std::uint64_t key) {
        const std::size_t i = slot(key);
        return m_keys[i] == key ? &m_counts[i] : nullptr;
    }

private:
    std::size_t slot(std::uint64_t key) const {
        std::size_t i = static_cast<std::size_t>((key * 0xD6E8FEB86659FD93ULL) >> m_shift);
        while (m_keys[i] != 0 && m_keys[i] != key)
            i = (i + 1) & m_mask;
        return i;
    }

    unsigned m_shift = 60;
    std::size_t m_mask = 0;
    std::vector<std::uint64_t> m_keys;
    std::vector<std::uint32_t> m_counts;
};

void setBit(std::vector<std::uint64_t>& bits, std::uint32_t position) {
    std::atomic_ref<std::uint64_t>(bits[position / 64])
        .fetch_or(std::uint64_t{1} << (position % 64), std::memory_order_relaxed);
}

// Buckets [first, last). A bucket holds its rows in table order, so going through
// it in order keeps the first row of each number and lets each reject take the
// earliest row left of its number.
Tally chooseInBuckets(std::size_t first, std::size_t last, const std::vector<std::uint64_t>& keys,
                      const std::vector<std::uint32_t>& positions, const std::vector<std::size_t>& starts,
                      bool dedup, const KeyBuckets* rejects, RowChoice& choice) {
    Tally tally;
    BucketTable seen, rejectCounts;
    for (std::size_t b = first; b < last; ++b) {
        const std::size_t begin = starts[b], end = starts[b + 1];
        if (dedup)
            seen.reset(end - begin);
        if (rejects) {
            rejectCounts.reset(rejects->starts[b + 1] - rejects->starts[b]);
            for (std::size_t i = rejects->starts[b]; i < rejects->starts[b + 1]; ++i)
                ++rejectCounts.at(rejects->keys[i]);
        }
        for (std::size_t i = begin; i < end; ++i) {
            if (dedup && seen.at(keys[i])++ > 0) {
                ++tally.duplicates;
                setBit(choice.duplicate, positions[i]);
                continue;
            }
            if (rejects) {
                std::uint32_t* left = rejectCounts.find(keys[i]);
                if (left && *left > 0) {
                    --*left;
                    ++tally.rejected;
                    setBit(choice.rejectedRows, positions[i]);
                    continue;
                }
            }
            setBit(choice.kept, positions[i]);
        }
    }
    return tally;
}

} // namespace

std::uint64_t numberKey(std::string_view digits) {
    std::uint64_t v = 0;
    for (const char c : digits)
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    // 15 digits stay under 2^50; the length keeps "010…" apart from "10…".
    return (v << 4) | digits.size();
}

unsigned KeyBuckets::bitsFor(std::size_t count) {
    // About four thousand keys a bucket: its sort stays in the core's cache.
    unsigned bits = 1;
    while (bits < 16 && (count >> bits) > 4096)
        ++bits;
    return bits;
}

KeyBuckets rejectKeys(const RejectTable& table, unsigned bits) {
    // Each file is read in two halves, one on each core (ten million numbers are a
    // second's reading on one), and the two lists of keys are put into buckets
    // together.
    const std::vector<RejectEntry> entries = table.activeEntries();
    std::vector<std::uint64_t> middles;
    std::uint64_t bytes = 0;
    for (const RejectEntry& e : entries) {
        struct stat st {};
        const std::uint64_t size = ::stat(e.path.c_str(), &st) == 0 && S_ISREG(st.st_mode)
                                       ? static_cast<std::uint64_t>(st.st_size)
                                       : 0;
        bytes += size;
        middles.push_back(size / 2);
    }
    // A number and its separator take at least nine bytes of a file; past sixteen
    // million numbers the list grows as it must.
    const auto expected = static_cast<std::size_t>(std::min<std::uint64_t>(bytes / 9, 1u << 24) / 2);
    std::vector<std::uint64_t> keys[2];
    std::vector<std::size_t> counts[2];
    onBothCores([&](std::size_t h) {
        keys[h].reserve(expected);
        counts[h].assign(std::size_t{1} << bits, 0);
        PhoneDigits digits;
        auto keep = [&](std::string_view token) {
            if (!phoneDigits(token, digits))
                return;
            const std::uint64_t key = numberKey(digits.view());
            keys[h].push_back(key);
            ++counts[h][KeyBuckets::bucketOf(key, bits)];
        };
        const auto call = [](void* k, std::string_view token) { (*static_cast<decltype(keep)*>(k))(token); };
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (h == 1)
                detail::forEachTokenIn(entries[i].path, middles[i], std::numeric_limits<std::uint64_t>::max(),
                                       call, &keep);
            else if (middles[i] > 0)
                detail::forEachTokenIn(entries[i].path, 0, middles[i], call, &keep);
        }
    });

    KeyBuckets out;
    out.bits = bits;
    out.starts = startsFromHalves(counts);
    out.keys.resize(out.starts.back());
    onBothCores([&](std::size_t h) {
        std::vector<std::size_t> at = headsOfHalf(out.starts, counts, h);
        for (const std::uint64_t key : keys[h])
            out.keys[at[KeyBuckets::bucketOf(key, bits)]++] = key;
    });
    return out;
}

RowChoice chooseRows(std::vector<std::uint64_t> keys, bool dedup, KeyBuckets* r) {
    RowChoice choice;
    const std::size_t n = keys.size();
    choice.kept.assign((n + 63) / 64, 0);
    choice.duplicate.assign(choice.kept.size(), 0);
    choice.rejectedRows.assign(choice.kept.size(), 0);
    const unsigned bits = KeyBuckets::bitsFor(n);
    // The rows in two halves, counted and put into buckets on both cores; the first
    // half's rows go first in each bucket, so a bucket keeps the table's order.
    const std::size_t halfway = n >= 65536 ? n / 2 : n;
    const auto onBoth = [&](const auto& work) { onBothCores(work, halfway < n); };
    std::vector<std::size_t> counts[2];
    onBoth([&](std::size_t half) {
        counts[half].assign(std::size_t{1} << bits, 0);
        for (std::size_t i = half ? halfway : 0, end = half ? n : halfway; i < end; ++i)
            if (keys[i] != kNoNumber)
                ++counts[half][KeyBuckets::bucketOf(keys[i], bits)];
    });
    const std::vector<std::size_t> starts = startsFromHalves(counts);
    const std::size_t candidates = starts.back();

    std::vector<std::uint64_t> bucketKeys(candidates);
    std::vector<std::uint32_t> positions(candidates);
    onBoth([&](std::size_t half) {
        std::vector<std::size_t> heads = headsOfHalf(starts, counts, half);
        for (std::size_t i = half ? halfway : 0, end = half ? n : halfway; i < end; ++i) {
            if (keys[i] == kNoNumber)
                continue;
            const std::size_t at = heads[KeyBuckets::bucketOf(keys[i], bits)]++;
            bucketKeys[at] = keys[i];
            positions[at] = static_cast<std::uint32_t>(i);
        }
    });
    std::vector<std::uint64_t>().swap(keys);

    if (r && r->bits != bits) {
        std::vector<std::size_t> rejectCounts(std::size_t{1} << bits);
        for (const std::uint64_t k : r->keys)
            ++rejectCounts[KeyBuckets::bucketOf(k, bits)];
        r->bits = bits;
        r->starts = startsFromCounts(std::move(rejectCounts));
        partitionInPlace(r->keys, bits, r->starts);
    }
    // Half the candidates to each core.
    const std::size_t buckets = starts.size() - 1;
    const std::size_t middle = static_cast<std::size_t>(
        std::lower_bound(starts.begin(), starts.end(), candidates / 2) - starts.begin());
    const std::size_t split = std::min(middle, buckets);
    Tally second;
    std::future<Tally> other;
    if (candidates >= 65536)
        other = std::async(std::launch::async, [&] {
            return chooseInBuckets(split, buckets, bucketKeys, positions, starts, dedup, r, choice);
        });
    Tally first =
        chooseInBuckets(0, other.valid() ? split : buckets, bucketKeys, positions, starts, dedup, r, choice);
    if (other.valid())
        second = other.get();
    choice.duplicates = first.duplicates + second.duplicates;
    choice.rejected = first.rejected + second.rejected;
    for (const std::uint64_t w : choice.kept)
        choice.keptCount += static_cast<std::size_t>(__builtin_popcountll(w));
    return choice;
}

KeptCursor::KeptCursor(const RowChoice& choice, std::size_t skipped) : m_kept(choice.kept) {
    if (!m_kept.empty())
        m_bits = m_kept[0];
    skip(skipped);
}

void KeptCursor::skip(std::size_t count) {
    for (;;) {
        const auto inWord = static_cast<std::size_t>(__builtin_popcountll(m_bits));
        if (count < inWord)
            break;
        count -= inWord;
        if (m_word + 1 >= m_kept.size()) {
            m_bits = 0;
            return;
        }
        m_bits = m_kept[++m_word];
    }
    for (; count > 0; --count)
        m_bits &= m_bits - 1;
}

std::size_t KeptCursor::next() {
    while (m_bits == 0)
        m_bits = m_kept[++m_word];
    const auto bit = static_cast<std::size_t>(__builtin_ctzll(m_bits));
    m_bits &= m_bits - 1;
    return m_word * 64 + bit;
}

} // namespace qb
