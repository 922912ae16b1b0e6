#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

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
    Canned,        // `status` and `body` instead of the document; not carried out
};

struct FaultRule {
    FaultRule() = default;
    FaultRule(WebFault f, int delay = 0) : fault(f), delayMs(delay) {}
    static FaultRule canned(int status, std::string body) {
        FaultRule r(WebFault::Canned);
        r.status = status;
        r.body = std::move(body);
        return r;
    }

    WebFault fault = WebFault::None;
    int delayMs = 0;
    int status = 200; // Canned
    std::string body; // Canned
};

// Rules per endpoint ("getaddrgroup.jsp", "fileSave", ...) and one for all; an
// endpoint's own rule wins.
class WebFaults {
public:
    // "" = every endpoint. None for "" clears every rule; None for an endpoint
    // keeps that endpoint well-behaved whatever the global rule says.
    void set(std::string_view endpoint, FaultRule rule);
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
