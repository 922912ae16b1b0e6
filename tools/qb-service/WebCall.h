#pragma once

#include <httplib.h>

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One request to the web application as its handlers see it.
namespace qbs {

// Thrown by a handler for a request it will not carry out; the reply is a 400.
struct BadRequest : std::runtime_error {
    using std::runtime_error::runtime_error;
};

using JsonObject = std::vector<std::pair<std::string, std::string>>;

class WebCall {
public:
    WebCall(const httplib::Request& req, httplib::Response& res, bool missingMember)
        : m_req(req), m_res(res), m_missingMember(missingMember) {}

    const httplib::Request& request() const { return m_req; }

    // A query parameter that must be present (decoded to raw bytes).
    std::string param(const char* name) const;
    // One that may be left out: empty then.
    std::string optionalParam(const char* name) const;
    // A text part of the multipart body that must be present.
    std::string field(const char* name) const;
    bool hasFile(const char* name) const;
    const httplib::MultipartFormData& file(const char* name) const;

    // The user id of a GET (cid) or a POST (m_id); never empty.
    std::string user() const;
    // GETs of the callback and balance documents carry mode=stat_acc.
    void requireMode(std::string_view mode) const;

    void text(const std::string& body, const char* contentType = "text/plain; charset=euc-kr");
    void html(std::string_view titleCp949, std::string_view bodyHtml);
    // {member: [objects]} with CP949 bytes unchanged.
    void jsonList(const std::string& member, const std::vector<JsonObject>& objects);
    void notFound();

private:
    const httplib::Request& m_req;
    httplib::Response& m_res;
    bool m_missingMember;
};

// Reads the `data` field the client posts: {member: [{...}, ...]}, the asked-for
// string members of each element ("" when absent).
std::vector<std::vector<std::string>> readDataList(std::string_view json, const std::string& member,
                                                   std::initializer_list<const char*> fields);

// Text safe inside HTML.
std::string htmlEscape(std::string_view s);

} // namespace qbs
