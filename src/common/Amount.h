#pragma once

#include <optional>
#include <string>
#include <string_view>

// Amounts of money and counts as the service writes them ("50000") and as the
// client shows them ("50,000").
namespace qb {

// "50,000"; "-1,200" below zero.
std::string groupedAmount(long long value);
// A plain integer text grouped; any other text as it is.
std::string groupedText(std::string_view text);
// "50000" or "50,000" (spaces around allowed); nullopt for anything else.
std::optional<long long> parseAmount(std::string_view text);

} // namespace qb
