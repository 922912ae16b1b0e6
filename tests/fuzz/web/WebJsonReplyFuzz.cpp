// A JSON list reply, under the user's member, read as the client reads it. Every
// list read must also survive the way back: written in the styled layout and
// read again, it gives the same bytes.
#include "web/WebJson.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The first line, when there is one, is the user id; the rest is the reply.
    std::string_view member = "tester";
    std::string_view reply = input;
    if (const auto nl = input.find('\n'); nl != std::string_view::npos && nl < 64) {
        member = input.substr(0, nl);
        reply = input.substr(nl + 1);
    }
    static constexpr std::array<std::string_view, 3> fields{"idx", "name", "hpno"};
    std::vector<qb::webjson::Row> rows;
    std::string why;
    const bool ok = qb::webjson::readList(reply, member, fields, rows, &why);
    if (ok != why.empty() || (!ok && !rows.empty()))
        std::abort();
    if (!ok)
        return 0;
    for (const auto& row : rows)
        if (row.size() != fields.size())
            std::abort();

    std::vector<qb::webjson::Object> objects;
    for (const auto& row : rows)
        objects.push_back({{"idx", row[0]}, {"name", row[1]}, {"hpno", row[2]}});
    const std::string written = qb::webjson::writeStyledList(member, objects);
    std::vector<qb::webjson::Row> again;
    if (!qb::webjson::readList(written, member, fields, again) || again != rows)
        std::abort();
    return 0;
}
