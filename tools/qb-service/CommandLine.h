#pragma once

#include "Accounts.h"
#include "Service.h"

#include <string>
#include <vector>

// The qb-service command line.
namespace qbs {

struct CommandLine {
    ServiceOptions service;
    std::vector<std::string> seedFiles;
    std::vector<Account> accounts;          // --add-account, UTF-8 converted to CP949
    std::vector<std::string> demoDataUsers; // --demo-data, CP949
    bool quiet = false;
    bool help = false;
    std::string error; // set when the arguments are wrong

    static CommandLine parse(const std::vector<std::string>& args);
    static const char* usage();
};

} // namespace qbs
