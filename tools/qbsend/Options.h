#pragma once

#include <optional>
#include <string>
#include <vector>

// qbsend's command line. Values are kept as given (UTF-8); the runner turns
// texts into CP949.
namespace qbsend {

struct Options {
    std::string workdir = ".";
    std::optional<std::string> host;
    std::optional<int> loginPort;
    std::optional<int> sendPort;
    std::optional<int> webPort;
    std::string id;
    std::string password;
    bool help = false;
};

struct ParsedOptions {
    Options options;
    std::string error; // empty when the arguments are good
    bool ok() const { return error.empty(); }
};

// "--name value" and "--name=value" alike.
ParsedOptions parseOptions(const std::vector<std::string>& args);
std::string usage();

} // namespace qbsend
