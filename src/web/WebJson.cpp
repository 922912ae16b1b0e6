#include "web/WebJson.h"

#include <json/json.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>

namespace qb::webjson {
namespace {

constexpr std::size_t kRightMargin = 74;

bool fail(std::string* why, std::string text, std::vector<Row>& rows) {
    rows.clear();
    if (why)
        *why = std::move(text);
    return false;
}

// Object members in the order of the JSON library's map: bytes compared, then length.
bool keyLess(const std::string& a, const std::string& b) {
    const int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    return c != 0 ? c < 0 : a.size() < b.size();
}

} // namespace

bool readList(std::string_view text, std::string_view member, std::span<const std::string_view> fields,
              std::vector<Row>& rows, std::string* why) {
    rows.clear();
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["collectComments"] = false;
    Json::Value root;
    std::string errors;
    try {
        const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors))
            return fail(why, "not JSON: " + errors, rows);
    } catch (const std::exception& e) { // nesting beyond the reader's limit
        return fail(why, std::string("not JSON: ") + e.what(), rows);
    }
    if (!root.isObject())
        return fail(why, "the reply is not an object", rows);

    const Json::Value* list = root.find(member.data(), member.data() + member.size());
    if (!list || list->isNull())
        return true;
    if (!list->isArray())
        return fail(why, "the user's member is not an array", rows);

    std::vector<Row> out;
    out.reserve(list->size());
    for (const Json::Value& element : *list) {
        if (!element.isObject())
            return fail(why, "an element is not an object", rows);
        Row row;
        row.reserve(fields.size());
        for (std::string_view field : fields) {
            const Json::Value* v = element.find(field.data(), field.data() + field.size());
            if (!v || v->isNull())
                row.emplace_back();
            else if (v->isString())
                row.push_back(v->asString());
            else if (v->isBool())
                row.emplace_back(v->asBool() ? "true" : "false");
            else
                return fail(why, "field \"" + std::string(field) + "\" is not a string", rows);
        }
        out.push_back(std::move(row));
    }
    rows = std::move(out);
    return true;
}

std::string quote(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + 2);
    appendQuoted(out, bytes);
    return out;
}

void appendQuoted(std::string& out, std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : bytes) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default: {
            const auto u = static_cast<unsigned char>(c);
            if (u < 0x20) {
                out += "\\u00";
                out += kHex[u >> 4];
                out += kHex[u & 0xF];
            } else {
                out += c; // CP949 bytes go out as they are
            }
        }
        }
    }
    out += '"';
}

std::string writeStyledList(std::string_view member, const std::vector<Object>& elements) {
    std::string out = "{\n   " + quote(member) + " : ";
    if (elements.empty()) {
        out += "[]\n}\n";
        return out;
    }
    // Only a list of nothing but empty objects fits on one line, as "[ {}, {} ]".
    const bool allEmpty =
        std::all_of(elements.begin(), elements.end(), [](const Object& o) { return o.empty(); });
    const std::size_t n = elements.size();
    if (allEmpty && n * 3 < kRightMargin && 4 + (n - 1) * 2 + 2 * n < kRightMargin) {
        out += "[ ";
        for (std::size_t i = 0; i < n; ++i)
            out += i ? ", {}" : "{}";
        out += " ]\n}\n";
        return out;
    }
    out += "[\n";
    for (std::size_t i = 0; i < elements.size(); ++i) {
        Object sorted = elements[i];
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const auto& a, const auto& b) { return keyLess(a.first, b.first); });
        if (sorted.empty()) {
            out += "      {}";
        } else {
            out += "      {\n";
            for (std::size_t m = 0; m < sorted.size(); ++m) {
                out += "         " + quote(sorted[m].first) + " : " + quote(sorted[m].second);
                out += m + 1 < sorted.size() ? ",\n" : "\n";
            }
            out += "      }";
        }
        out += i + 1 < elements.size() ? ",\n" : "\n";
    }
    out += "   ]\n}\n";
    return out;
}

} // namespace qb::webjson
