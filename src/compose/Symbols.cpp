#include "compose/Symbols.h"

#include <algorithm>
#include <array>

namespace qb {
namespace specialchars {
namespace {

// KS X 1001 codes, row by row as the palette shows them.
constexpr std::array<unsigned short, kCount> kCodes{
    0xA3C0, 0xA1AC, 0xA1B6, 0xA1B7, 0xA1B8,
    0xA1B9, 0xA1BA, 0xA1BB, 0xA1BC, 0xA1BD, // ＠ ＼ 《 》 「 」 『 』 【 】
    0xA2C1, 0xA2B2, 0xA2C7, 0xA2C8, 0xA2CB,
    0xA2CA, 0xA2C9, 0xA1E3, 0xA1E2, 0xA2BA, // ⊙ ∑ ▤ ▥ ▦ ▧ ▨ ▲ △ ▶
    0xA2B9, 0xA1E5, 0xA1E4, 0xA2B8, 0xA2B7,
    0xA1DF, 0xA1DE, 0xA2C2, 0xA1DD, 0xA2C4, // ▷ ▼ ▽ ◀ ◁ ◆ ◇ ◈ ◎ ◐
    0xA2C5, 0xA1E8, 0xA2D6, 0xA1E6, 0xA2D1,
    0xA2D9, 0xA1E9, 0xA2D7, 0xA1E7, 0xA2D0, // ◑ ↑ ↗ → ☞ ↘ ↓ ↙ ← ☜
    0xA2D8, 0xA1EA, 0xA6AC, 0xA6AD, 0xA6AE,
    0xA6AF, 0xA6B1, 0xA6B0, 0xA6B2, 0xA6B4, // ↖ ↔ ━ ┃ ┏ ┓ ┗ ┛ ┣ ┫
    0xA6B3, 0xA6B5, 0xA6B6, 0xA2C6, 0xA1CD,
    0xA1D7, 0xA1D8, 0xA2DE, 0xA1D9, 0xA1DA, // ┳ ┻ ╋ ▒ ￥ § ※ ㉿ ☆ ★
    0xA2CF, 0xA2CE, 0xA1CF, 0xA1CE, 0xA2BC,
    0xA2BD, 0xA2C0, 0xA2BB, 0xA2BE, 0xA2BF, // ☎ ☏ ♀ ♂ ♠ ♡ ♣ ♤ ♥ ♧
    0xA2CD, 0xA2DC, 0xA2DD, 0xA2E6, 0xA2DF,
    0xA2E3, 0xA2E4, 0xA2E2, 0xA5F0, 0xA5D8, // ♨ ♪ ♬ € ㈜ ㏂ ㏘ ™ π Ω
};

constexpr std::array<char, kCount* 2> kBytes = [] {
    std::array<char, kCount * 2> bytes{};
    for (std::size_t k = 0; k < kCodes.size(); ++k) {
        bytes[2 * k] = static_cast<char>(kCodes[k] >> 8);
        bytes[2 * k + 1] = static_cast<char>(kCodes[k] & 0xFF);
    }
    return bytes;
}();

} // namespace

std::string_view symbol(int k) {
    if (k < 0 || k >= kCount)
        return {};
    return {kBytes.data() + 2 * k, 2};
}

} // namespace specialchars

Replaced replaceRange(std::string_view text, std::size_t from, std::size_t to, std::string_view insert) {
    from = std::min(from, text.size());
    to = std::clamp(to, from, text.size());
    Replaced r;
    r.text.reserve(text.size() - (to - from) + insert.size());
    r.text.append(text.substr(0, from)).append(insert).append(text.substr(to));
    r.caret = from + insert.size();
    return r;
}

} // namespace qb
