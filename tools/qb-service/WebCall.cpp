#include "WebCall.h"

#include "web/WebJson.h"

#include <json/json.h>

#include <memory>

namespace qbs {

std::string WebCall::param(const char* name) const {
    if (!m_req.has_param(name))
        throw BadRequest(std::string("missing parameter ") + name);
    return m_req.get_param_value(name);
}

std::string WebCall::optionalParam(const char* name) const {
    return m_req.has_param(name) ? m_req.get_param_value(name) : std::string();
}

std::string WebCall::field(const char* name) const {
    if (!m_req.is_multipart_form_data())
        throw BadRequest("the body is not multipart/form-data");
    if (!m_req.has_file(name))
        throw BadRequest(std::string("missing field ") + name);
    const auto part = m_req.get_file_value(name);
    if (!part.filename.empty())
        throw BadRequest(std::string("field ") + name + " is a file");
    return part.content;
}

bool WebCall::hasFile(const char* name) const {
    return m_req.has_file(name);
}

const httplib::MultipartFormData& WebCall::file(const char* name) const {
    const auto it = m_req.files.find(name);
    if (it == m_req.files.end() || it->second.filename.empty())
        throw BadRequest(std::string("missing file ") + name);
    return it->second;
}

std::string WebCall::user() const {
    std::string id = m_req.method == "POST" ? field("m_id") : param("cid");
    if (id.empty())
        throw BadRequest("empty user id");
    return id;
}

void WebCall::requireMode(std::string_view mode) const {
    if (param("mode") != mode)
        throw BadRequest("unknown mode");
}

void WebCall::text(const std::string& body, const char* contentType) {
    m_res.status = 200;
    m_res.set_content(body, contentType);
}

void WebCall::html(std::string_view title, std::string_view bodyHtml) {
    std::string page = "<!DOCTYPE html>\n<html><head><meta charset=\"euc-kr\"><title>";
    page += htmlEscape(title);
    page += "</title></head>\n<body>\n<h1>";
    page += htmlEscape(title);
    page += "</h1>\n";
    page += bodyHtml;
    page += "\n</body></html>\n";
    text(page, "text/html; charset=euc-kr");
}

void WebCall::jsonList(const std::string& member, const std::vector<JsonObject>& objects) {
    // Written directly: a tree of Json::Value for a book of 100,000 entries
    // takes seconds and hundreds of megabytes. Bytes of 0x80 and above go out
    // raw (CP949), never as \u escapes.
    std::size_t size = member.size() + 16;
    for (const JsonObject& o : objects)
        for (const auto& [key, value] : o)
            size += key.size() + value.size() + 8;
    std::string body;
    body.reserve(size);
    // A member under another name is what a reply without the user's list looks like.
    body += '{';
    qb::webjson::appendQuoted(body, m_missingMember ? member + "-elsewhere" : member);
    body += ":[";
    for (std::size_t i = 0; i < objects.size(); ++i) {
        body += i ? ",\n{" : "\n{";
        bool first = true;
        for (const auto& [key, value] : objects[i]) {
            if (!first)
                body += ',';
            first = false;
            qb::webjson::appendQuoted(body, key);
            body += ':';
            qb::webjson::appendQuoted(body, value);
        }
        body += '}';
    }
    body += "]}\n";
    text(body, "application/json; charset=euc-kr");
}

void WebCall::notFound() {
    m_res.status = 404;
    m_res.set_content("not found\n", "text/plain");
}

std::vector<std::vector<std::string>> readDataList(std::string_view json, const std::string& member,
                                                   std::initializer_list<const char*> fields) {
    Json::CharReaderBuilder builder;
    Json::Value root;
    std::string errors;
    bool parsed = false;
    try {
        const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        parsed = reader->parse(json.data(), json.data() + json.size(), &root, &errors);
    } catch (const std::exception& e) {
        errors = e.what();
    }
    if (!parsed)
        throw BadRequest("data is not JSON: " + errors);
    if (!root.isObject())
        throw BadRequest("data is not an object");
    const Json::Value* list = root.find(member.data(), member.data() + member.size());
    if (!list || !list->isArray())
        throw BadRequest("data has no list under the user id");
    std::vector<std::vector<std::string>> rows;
    for (const Json::Value& element : *list) {
        if (!element.isObject())
            throw BadRequest("data holds something other than objects");
        std::vector<std::string> row;
        for (const char* f : fields) {
            const Json::Value* v = element.find(f, f + std::char_traits<char>::length(f));
            if (v && !v->isString() && !v->isNull())
                throw BadRequest(std::string("data field ") + f + " is not a string");
            row.push_back(v && v->isString() ? v->asString() : std::string());
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string htmlEscape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (const char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace qbs
