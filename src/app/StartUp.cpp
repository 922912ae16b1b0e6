#include "app/StartUp.h"

#include <sys/stat.h>
#include <unistd.h>

namespace qb::startup {

bool hasUpdaterSwitch(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& a : arguments) {
        if (!line.empty())
            line += ' ';
        line += a;
    }
    return line.find("/u") != std::string::npos;
}

StartAction decide(bool anotherInstanceRunning, bool updaterSwitch) {
    if (anotherInstanceRunning)
        return StartAction::AlreadyRunning;
    return updaterSwitch ? StartAction::Run : StartAction::StartUpdater;
}

namespace {

bool isProgram(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

} // namespace

std::string updaterPath(const std::string& applicationFolder, const std::string& searchPath) {
    std::string beside = applicationFolder + "/qbupdater";
    if (isProgram(beside))
        return beside;
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        std::size_t end = searchPath.find(':', start);
        if (end == std::string::npos)
            end = searchPath.size();
        const std::string folder = searchPath.substr(start, end - start);
        if (!folder.empty() && isProgram(folder + "/qbupdater"))
            return folder + "/qbupdater";
        start = end + 1;
    }
    return beside;
}

} // namespace qb::startup
