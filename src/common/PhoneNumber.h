#pragma once

#include <cstddef>
#include <string_view>

// A recipient number as people write it: "010-2468-1357", "010 2468 1357",
// "010.2468.1357", "(02) 123-4567" and "01024681357" are one number. Only its
// digits are compared and sent, so the same person is neither messaged twice nor
// missed by a reject list.
//
// Two ways of writing a Korean number are corrected to the domestic form:
// - the country code: "+82", "0082" or "82", then the number with or without its
//   leading 0, when what follows is a Korean mobile (01[016789] + 7 or 8 digits),
//   Seoul (02 + 7 or 8), area (031-033, 041-044, 051-055, 061-064 + 7 or 8) or
//   070 (+ 8) number: "+82 10-3456-7804" is 01034567804. Anything else after "82"
//   stays as it is (so a number that merely begins with 82 is kept), and after "+"
//   it is no number;
// - a mobile number whose 0 a spreadsheet dropped: 10 digits starting "10", or 9
//   starting "11", "16", "17", "18" or "19", get the 0 back.
namespace qb {

struct PhoneDigits {
    static constexpr std::size_t kMin = 8;
    static constexpr std::size_t kMax = 15;

    char digits[kMax];
    std::size_t size = 0;
    bool corrected = false; // one of the two corrections was made

    std::string_view view() const { return {digits, size}; }
};

// False when `text` holds anything but digits, hyphens, spaces, dots, brackets and
// one "+" before the digits, or fewer than 8 or more than 15 digits (a header line
// such as "phone_number" is no number), or a "+" not followed by a Korean number.
bool phoneDigits(std::string_view text, PhoneDigits& out);

} // namespace qb
