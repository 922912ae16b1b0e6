#include "app/StartUp.h"

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

std::string updaterPath(const std::string& applicationFolder) {
    return applicationFolder + "/qbupdater";
}

} // namespace qb::startup
