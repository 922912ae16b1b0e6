#pragma once

#include <string>

// The working folder and the files under it. The folder is taken once at
// start-up; every path derives from it, whatever the current directory becomes.
namespace qb {

class AppPaths {
public:
    explicit AppPaths(std::string workingFolder);
    // The current directory, taken now.
    static AppPaths fromCurrentDirectory();

    const std::string& workingFolder() const { return m_folder; }
    std::string envCfgPath() const { return m_folder + "/Env.cfg"; }
    std::string updateIniPath() const { return m_folder + "/update.ini"; }
    std::string imageTempPath() const { return m_folder + "/imgtemp"; }
    std::string logFolder() const { return m_folder + "/LOG"; }
    std::string rejectIniPath() const { return m_folder + "/msg/RAZIDODU.ini"; }

    // VERSION from [PROGRAM] of update.ini; "" without the file or the key.
    std::string readVersion() const;
    // Deletes every file in imgtemp. Subfolders and files that cannot be deleted
    // stay; a missing folder is nothing to do.
    void clearImageTemp() const;

private:
    std::string m_folder;
};

} // namespace qb
