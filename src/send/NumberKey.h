#pragma once

#include <cstdint>
#include <string_view>

// A number of at most 15 bytes packed into 16 bytes so that comparing keys is the
// number order (byte-wise, a prefix before the longer number) and equal keys mean
// identical bytes. The bytes fill the key from the top, then zero padding, and the
// last byte holds the length, which orders a prefix before its longer numbers even
// when those continue with zero bytes.
namespace qb {

struct NumberKey {
    std::uint64_t hi = 0;
    std::uint64_t lo = 0;

    static constexpr std::size_t kMaxBytes = 15;

    static NumberKey of(std::string_view n) {
        NumberKey k;
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
};

} // namespace qb
