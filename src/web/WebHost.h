#pragma once

#include <string>
#include <string_view>

namespace qb {

struct ServiceConfig;

// Every web call blocks its caller, so each has an upper bound.
struct HttpTimeouts {
    long connectMs = 10'000;
    long totalMs = 120'000;
};

// The web application's address: plain HTTP on one host.
struct WebHost {
    std::string host;
    int port = 80;
    HttpTimeouts timeouts;

    static WebHost from(const ServiceConfig& config);

    // "http://host[:port]", the port left out when it is 80; an IPv6 host in brackets.
    std::string base() const;
    // The base, one "/" and the path. Callers pass paths with or without the
    // leading slash; both name the same document.
    std::string url(std::string_view path) const;
};

} // namespace qb
