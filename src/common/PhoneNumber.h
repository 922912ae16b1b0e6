#pragma once

#include <cstddef>
#include <string_view>

// A recipient number as people write it: "010-2468-1357", "010 2468 1357" and
// "01024681357" are one number. Only its digits are compared and sent, so the
// same person is neither messaged twice nor missed by a reject list.
namespace qb {

struct PhoneDigits {
    static constexpr std::size_t kMin = 8;
    static constexpr std::size_t kMax = 15;

    char digits[kMax];
    std::size_t size = 0;

    std::string_view view() const { return {digits, size}; }
};

// False when `text` holds anything but digits, hyphens and spaces, or fewer than
// 8 or more than 15 digits (a header line such as "phone_number" is no number).
bool phoneDigits(std::string_view text, PhoneDigits& out);

} // namespace qb
