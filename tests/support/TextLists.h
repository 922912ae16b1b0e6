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

// Fields joined by 0x04 and closed by 0x02, as a record goes on the wire.
inline std::string record(const std::vector<std::string>& fields) {
    std::string out;
    for (const std::string& f : fields)
        out += f + "\x04";
    out.back() = '\x02';
    return out;
}

} // namespace qb::test
