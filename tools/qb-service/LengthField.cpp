#include "LengthField.h"

#include "common/Bytes.h"
#include "net/Packets.h"

#include <limits>

namespace qbs {

std::optional<LengthField> LengthField::parse(std::string_view text) {
    if (text == "after-header")
        return LengthField{};
    if (text == "whole")
        return LengthField{Form::Whole, 0};
    if (text == "zero")
        return LengthField{Form::Zero, 0};
    const bool negative = !text.empty() && text.front() == '-';
    long long v = 0;
    if (!qb::bytes::parseDecimal(negative ? text.substr(1) : text, v) ||
        v > (negative ? 2147483648LL : 2147483647LL))
        return std::nullopt;
    return LengthField{Form::Value, static_cast<std::int32_t>(negative ? -v : v)};
}

std::string LengthField::name() const {
    switch (form) {
    case Form::AfterHeader:
        return "after-header";
    case Form::Whole:
        return "whole";
    case Form::Zero:
        return "zero";
    case Form::Value:
        break;
    }
    return std::to_string(value);
}

void LengthField::apply(std::string& packet) const {
    if (packet.size() < qb::packet::kHeaderSize)
        return;
    std::int64_t length = static_cast<std::int64_t>(packet.size() - qb::packet::kHeaderSize);
    if (form == Form::Whole)
        length = static_cast<std::int64_t>(packet.size());
    else if (form == Form::Zero)
        length = 0;
    else if (form == Form::Value)
        length = value;
    const auto v = static_cast<std::uint32_t>(static_cast<std::int32_t>(length));
    packet[4] = static_cast<char>(v >> 24);
    packet[5] = static_cast<char>(v >> 16 & 0xFF);
    packet[6] = static_cast<char>(v >> 8 & 0xFF);
    packet[7] = static_cast<char>(v & 0xFF);
}

} // namespace qbs
