#pragma once

#include <string>
#include <vector>

// The decisions of the client's start, apart from the windows that carry them out.
namespace qb::startup {

// "/u" anywhere in the arguments, as a plain substring: "/U" and "-u" do not
// count, "/u" inside a longer word does. The program's own path is not part of
// the test, since on this platform it usually lies under /usr or /home.
bool hasUpdaterSwitch(const std::vector<std::string>& arguments);

enum class StartAction {
    AlreadyRunning, // tell the user and end with 0
    StartUpdater,   // start qbupdater and end with 0
    Run,
};

// Without a way to tell (the lock file cannot be made) the client runs, as it
// would if the single-instance marker could not be created.
StartAction decide(bool anotherInstanceRunning, bool updaterSwitch);

// The qbupdater to start: the one beside the client's executable (a build
// folder, or bin/ of an installation), else the first on `searchPath` (PATH:
// folders separated by ':'; empty entries, the current folder, are skipped).
// Without either, the one beside the client, so a failure names that place.
std::string updaterPath(const std::string& applicationFolder, const std::string& searchPath);

} // namespace qb::startup
