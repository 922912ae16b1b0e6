#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace qb::test {

using Strings = std::vector<std::string>;

// "a|b|c" as {"a", "b", "c"}, "" as none: lists that keep a table's row on a line.
inline Strings split(std::string_view items) {
    Strings out;
    for (std::size_t from = 0; !items.empty() && from <= items.size();) {
        const std::size_t bar = std::min(items.find('|', from), items.size());
        out.emplace_back(items.substr(from, bar - from));
        from = bar + 1;
    }
    return out;
}

} // namespace qb::test
