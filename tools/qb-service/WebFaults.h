#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>

// Ways the web application can misbehave on purpose, so tests and demos can show
// what the client does with a broken service.
namespace qbs {

enum class WebFault {
    None,
    ServerError,   // 500 with an HTML page; the request is not carried out
    InvalidJson,   // 200 with a body that is not JSON; not carried out
    MissingMember, // JSON replies lack the user's member
    Slow,          // the reply waits `delayMs` first
    Truncated,     // the reply announces more bytes than it sends, then the connection closes
};

struct FaultRule {
    WebFault fault = WebFault::None;
    int delayMs = 0;
};

// Rules per endpoint ("getaddrgroup.jsp", "fileSave", ...) and one for all; an
// endpoint's own rule wins.
class WebFaults {
public:
    void set(std::string_view endpoint, FaultRule rule); // "" = every endpoint
    void clear();
    FaultRule lookup(std::string_view endpoint) const;

    // "KIND[:MS][@ENDPOINT]", KIND one of none, status500, badjson, nomember,
    // slow, truncate; MS only for slow (default 3000). False, with `error` set,
    // for anything else.
    bool apply(std::string_view option, std::string* error = nullptr);

private:
    mutable std::mutex m_lock;
    std::map<std::string, FaultRule, std::less<>> m_rules;
};

} // namespace qbs
