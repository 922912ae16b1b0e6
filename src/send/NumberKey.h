#pragma once

#include "common/HugePages.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

// A number of at most 15 bytes packed into 16 bytes so that comparing keys is the
// number order (byte-wise, a prefix before the longer number) and equal keys mean
// identical bytes. The bytes fill the key from the top, then zero padding, and the
// last byte holds the length, which orders a prefix before its longer numbers even
// when those continue with zero bytes.
namespace qb {

struct NumberKey {
    // No initialisers: sort buffers of millions of keys are not zeroed first.
    std::uint64_t hi;
    std::uint64_t lo;

    static constexpr std::size_t kMaxBytes = 15;

    static NumberKey of(std::string_view n) {
        NumberKey k{0, 0};
        for (std::size_t i = 0; i < n.size() && i < 8; ++i)
            k.hi |= std::uint64_t{static_cast<unsigned char>(n[i])} << (56 - 8 * i);
        for (std::size_t i = 8; i < n.size() && i < kMaxBytes; ++i)
            k.lo |= std::uint64_t{static_cast<unsigned char>(n[i])} << (56 - 8 * (i - 8));
        k.lo |= n.size();
        return k;
    }

    friend bool operator==(const NumberKey& a, const NumberKey& b) { return a.hi == b.hi && a.lo == b.lo; }
    friend bool operator<(const NumberKey& a, const NumberKey& b) {
        return a.hi != b.hi ? a.hi < b.hi : a.lo < b.lo;
    }

    // Byte i of the key, 0 the most significant.
    unsigned byte(int i) const {
        return static_cast<unsigned>((i < 8 ? hi >> (56 - 8 * i) : lo >> (120 - 8 * i)) & 0xFF);
    }
};

// Stable sort by key (a radix sort: a million numbers sort several times faster than
// by comparison). Bytes where every key agrees, such as a shared "010" or the
// padding, cost nothing. `key(e)` gives an element's NumberKey.
template <typename T, typename KeyOf> void sortByNumber(std::vector<T>& items, KeyOf key) {
    const std::size_t n = items.size();
    if (n < 2)
        return;
    std::vector<std::array<std::size_t, 256>> counts(16);
    for (auto& c : counts)
        c.fill(0);
    for (const T& e : items) {
        const NumberKey& k = key(e);
        for (int b = 0; b < 16; ++b)
            ++counts[static_cast<std::size_t>(b)][k.byte(b)];
    }
    static_assert(std::is_trivially_copyable_v<T>);
    std::unique_ptr<T[]> buffer(new T[n]);
    adviseHugePages(buffer.get(), n * sizeof(T));
    T* from = items.data();
    T* to = buffer.get();
    for (int b = 15; b >= 0; --b) {
        std::array<std::size_t, 256>& c = counts[static_cast<std::size_t>(b)];
        if (c[key(from[0]).byte(b)] == n)
            continue;
        std::size_t sum = 0;
        for (std::size_t& v : c) {
            const std::size_t count = v;
            v = sum;
            sum += count;
        }
        for (std::size_t i = 0; i < n; ++i)
            to[c[key(from[i]).byte(b)]++] = from[i];
        std::swap(from, to);
    }
    if (from != items.data())
        std::copy(from, from + n, items.data());
}

} // namespace qb
