#include "app/AppPaths.h"

#include "common/ProfileFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace qb {

AppPaths::AppPaths(std::string workingFolder) : m_folder(std::move(workingFolder)) {
    while (m_folder.size() > 1 && m_folder.back() == '/')
        m_folder.pop_back();
}

AppPaths AppPaths::fromCurrentDirectory() {
    std::unique_ptr<char, decltype(&::free)> cwd(::getcwd(nullptr, 0), &::free);
    return AppPaths(cwd ? std::string(cwd.get()) : std::string("."));
}

std::string AppPaths::readVersion() const {
    return ProfileFile(updateIniPath()).read("PROGRAM", "VERSION", "");
}

void AppPaths::clearImageTemp() const {
    DIR* dir = ::opendir(imageTempPath().c_str());
    if (!dir)
        return;
    const int dfd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        // unlinkat without AT_REMOVEDIR refuses folders, which is what keeps them.
        ::unlinkat(dfd, e->d_name, 0);
    }
    ::closedir(dir);
}

} // namespace qb
