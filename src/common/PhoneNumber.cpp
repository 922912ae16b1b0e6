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

bool oneOf(char c, const char* set) {
    return c != '\0' && std::strchr(set, c) != nullptr;
}

// A Korean number without its leading 0 ("1034567804" for 010-3456-7804).
bool koreanWithoutZero(std::string_view d) {
    const std::size_t n = d.size();
    if (n < 8)
        return false;
    switch (d[0]) {
    case '1':
        return oneOf(d[1], "016789") && (n == 9 || n == 10);
    case '2':
        return n == 8 || n == 9;
    case '3':
        return oneOf(d[1], "123") && (n == 9 || n == 10);
    case '4':
        return oneOf(d[1], "1234") && (n == 9 || n == 10);
    case '5':
        return oneOf(d[1], "12345") && (n == 9 || n == 10);
    case '6':
        return oneOf(d[1], "1234") && (n == 9 || n == 10);
    case '7':
        return d[1] == '0' && n == 10;
    default:
        return false;
    }
}

// The domestic form of `out`; false when a number written with "+" is no Korean one.
bool correct(PhoneDigits& out, bool plus) {
    const std::string_view d = out.view();
    std::size_t code = 0;
    if (d.substr(0, 2) == "82")
        code = 2;
    else if (!plus && d.substr(0, 4) == "0082")
        code = 4;
    if (code > 0) {
        std::string_view rest = d.substr(code);
        if (!rest.empty() && rest[0] == '0')
            rest.remove_prefix(1);
        if (!koreanWithoutZero(rest))
            return !plus;
        const std::size_t n = rest.size();
        std::memmove(out.digits + 1, rest.data(), n);
        out.digits[0] = '0';
        out.size = n + 1;
        out.corrected = true;
        return true;
    }
    if (plus)
        return false;
    if ((d.size() == 10 && d[0] == '1' && d[1] == '0') ||
        (d.size() == 9 && d[0] == '1' && oneOf(d[1], "16789"))) {
        std::memmove(out.digits + 1, out.digits, out.size);
        out.digits[0] = '0';
        ++out.size;
        out.corrected = true;
    }
    return true;
}

} // namespace

bool phoneDigits(std::string_view text, PhoneDigits& out) {
    out.corrected = false;
    // Nearly every number is digits alone: its two ends, overlapping, say so.
    if (text.size() >= PhoneDigits::kMin && text.size() <= PhoneDigits::kMax && eightDigits(text.data()) &&
        eightDigits(text.data() + text.size() - 8)) {
        std::memcpy(out.digits, text.data(), text.size());
        out.size = text.size();
        // And nearly every one starts with a single 0: nothing to correct.
        return (out.digits[0] == '0' && out.digits[1] != '0') || correct(out, false);
    }
    out.size = 0;
    bool plus = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (out.size == PhoneDigits::kMax)
                return false;
            out.digits[out.size++] = c;
        } else if (c == '+' && out.size == 0 && !plus) {
            plus = true;
        } else if (c != '-' && c != ' ' && c != '.' && c != '(' && c != ')') {
            return false;
        }
    }
    return out.size >= PhoneDigits::kMin && correct(out, plus);
}

} // namespace qb
