#include "common/Amount.h"

#include "common/Bytes.h"

namespace qb {

std::string groupedAmount(long long value) {
    const unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    const std::string plain = std::to_string(magnitude);
    std::string out;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        if (i > 0 && (plain.size() - i) % 3 == 0)
            out += ',';
        out += plain[i];
    }
    return value < 0 ? "-" + out : out;
}

std::string groupedText(std::string_view text) {
    const bool negative = text.starts_with('-');
    const std::string_view digits = negative ? text.substr(1) : text;
    long long v = 0;
    // A leading zero would not read back as the same text.
    if ((digits.size() > 1 && digits.front() == '0') || !bytes::parseDecimal(digits, v))
        return std::string(text);
    return groupedAmount(negative ? -v : v);
}

std::optional<long long> parseAmount(std::string_view text) {
    std::string digits;
    for (const char c : bytes::trim(text))
        if (c != ',')
            digits += c;
    long long v = 0;
    if (!bytes::parseDecimal(digits, v))
        return std::nullopt;
    return v;
}

} // namespace qb
