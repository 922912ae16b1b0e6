#pragma once

#include <string>

// Where the service lives. Read once at start-up from service.ini in the working
// folder, section [SERVICE]; every key has a built-in default.
namespace qb {

struct ServiceConfig {
    std::string host = "quillbank2.example";
    int loginPort = 40001;
    int sendPort = 40000;
    int webPort = 80;
    std::string homeUrl = "http://quillbank2.example/";
    std::string signupUrl = "http://join.quillbank2.example/GatewayUserSignup.php";

    // "http://host[:port]" without a trailing slash; the port is left out when it is 80.
    std::string webBase() const;

    static ServiceConfig load(const std::string& workingFolder);
    static constexpr const char* kFileName = "service.ini";
};

} // namespace qb
