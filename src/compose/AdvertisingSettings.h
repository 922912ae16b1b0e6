#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// "광고 설정": who sends an advertisement and the free number that refuses it, and
// whether the send form's "광고" switch is on. Kept in Env.cfg, section [AD].
// Texts are CP949.
namespace qb {

struct AdvertisingSettings {
    // Room for a business name on the first line of a 90-byte SMS beside "(광고)".
    static constexpr std::size_t kMaxNameBytes = 40;
    // "080-1234-5678"
    static constexpr std::size_t kMaxOptOutBytes = 13;

    bool on = false;
    std::string name;   // 상호(서비스명)
    std::string optOut; // 무료수신거부 번호, as typed

    // Missing keys read as off and empty.
    static AdvertisingSettings read(const std::string& envCfgPath);
    // ON, NAME, OPTOUT in one rewrite.
    bool write(const std::string& envCfgPath) const;

    // Why name and number cannot be used, in the order a user fixes them; empty
    // when both can.
    std::string problem() const;
};

// Not blank, at most kMaxNameBytes, valid CP949 without control bytes (one would
// break the Env.cfg line and the message's first line).
bool isSenderName(std::string_view name);
// An 080 number of 10 or 11 digits, with or without single hyphens between digits.
bool isOptOutNumber(std::string_view text);
// The digits of a number, hyphens left out.
std::string numberDigits(std::string_view text);

} // namespace qb
