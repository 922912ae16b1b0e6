#include "common/PhoneNumber.h"

namespace qb {

bool phoneDigits(std::string_view text, PhoneDigits& out) {
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
