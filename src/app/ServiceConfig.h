#pragma once

#include <string>
#include <vector>

// Where the service lives. Read once at start-up from service.ini in the working
// folder, section [SERVICE]; every key has a built-in default. A value that is
// there but unusable (a port of 0, 70000, -1 or text) is not replaced silently:
// it is kept in badValues for the client to report and qbsend to refuse.
namespace qb {

// A host as a URL names it: an IPv6 address in brackets ("[::1]"), anything else as it is.
std::string urlHost(const std::string& host);

struct ServiceConfig {
    std::string host = "quillbank2.example";
    int loginPort = 40001;
    int sendPort = 40000;
    int webPort = 80;
    std::string homeUrl = "http://quillbank2.example/";
    std::string signupUrl = "http://join.quillbank2.example/GatewayUserSignup.php";

    // A key whose value was refused; the default stands in for it.
    struct BadValue {
        std::string key;   // "LOGIN_PORT"
        std::string value; // as written, CP949
        int fallback = 0;  // the default used instead
    };
    std::vector<BadValue> badValues;
    // The file's path when it was too large to be read; every value is its default then.
    std::string unreadFile;

    // "http://host[:port]" without a trailing slash; the port is left out when it is 80.
    // An IPv6 address is written in brackets.
    std::string webBase() const;
    // The client's start-up message for an unread file and for badValues (CP949,
    // one line each); empty when every value was good.
    std::string badValuesMessage() const;

    static ServiceConfig load(const std::string& workingFolder);
    static constexpr const char* kFileName = "service.ini";
};

} // namespace qb
