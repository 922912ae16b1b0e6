#include "common/PhoneNumber.h"

#include <cstdint>
#include <cstring>

namespace qb {

namespace {

// Eight bytes, each '0' to '9'.
bool eightDigits(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    const std::uint64_t x = v ^ 0x3030303030303030u; // a digit's byte becomes 0 to 9
    // A byte of 10 or more gets its high bit from the sum, one of 128 or more has it
    // already (a carry out of it only reaches a byte that fails anyway).
    return (((x + 0x7676767676767676u) | x) & 0x8080808080808080u) == 0;
}

} // namespace

bool phoneDigits(std::string_view text, PhoneDigits& out) {
    // Nearly every number is digits alone: its two ends, overlapping, say so.
    if (text.size() >= PhoneDigits::kMin && text.size() <= PhoneDigits::kMax && eightDigits(text.data()) &&
        eightDigits(text.data() + text.size() - 8)) {
        std::memcpy(out.digits, text.data(), text.size());
        out.size = text.size();
        return true;
    }
    out.size = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (out.size == PhoneDigits::kMax)
                return false;
            out.digits[out.size++] = c;
        } else if (c != '-' && c != ' ') {
            return false;
        }
    }
    return out.size >= PhoneDigits::kMin;
}

} // namespace qb
