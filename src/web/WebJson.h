#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The JSON the web application exchanges: a top-level object with one member,
// named by the user id, holding an array of flat objects of strings. Texts are
// CP949 bytes in both directions.
namespace qb::webjson {

// One record: the asked-for fields in the order asked.
using Row = std::vector<std::string>;

// Reads `text` (comments allowed) and collects, for each element of the array
// under `member`, the values of `fields`. A missing field or null reads as "",
// true/false as "true"/"false". A missing or null member, or an empty array,
// gives no rows. False (rows left empty, `why` set) when the text is not JSON,
// the root is not an object, the member is neither an array nor null, an element
// is not an object, or a field holds a number, array or object.
bool readList(std::string_view text, std::string_view member, std::span<const std::string_view> fields,
              std::vector<Row>& rows, std::string* why = nullptr);

// One element of a list written to the server; members are strings.
using Object = std::vector<std::pair<std::string, std::string>>;

// {member: [elements...]} in the styled layout the service has always received
// (three-space indentation, members in key order, a newline at the end), with
// bytes of 0x80 and above written unchanged. Keys within an element are unique.
std::string writeStyledList(std::string_view member, const std::vector<Object>& elements);

// A JSON string literal as the styled layout writes it.
std::string quote(std::string_view bytes);
// The same, appended to `out`.
void appendQuoted(std::string& out, std::string_view bytes);

} // namespace qb::webjson
