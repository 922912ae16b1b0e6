#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// How the stand-in fills the length field of the packets it writes. The client
// never reads that field, and real servers fill it in different ways; tests run
// the client against each.
namespace qbs {

struct LengthField {
    enum class Form { AfterHeader, Whole, Zero, Value };

    Form form = Form::AfterHeader;
    std::int32_t value = 0; // Form::Value only

    // "after-header" (the bytes after the header), "whole" (the whole packet),
    // "zero", or a decimal number written as it is (a negative one too).
    static std::optional<LengthField> parse(std::string_view text);
    std::string name() const;
    // Rewrites the length of a packet the service built (8 bytes or more).
    void apply(std::string& packet) const;
};

} // namespace qbs
