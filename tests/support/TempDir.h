#pragma once

#include <string>
#include <string_view>

namespace qb::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(std::string_view name) const { return m_path + "/" + std::string(name); }
    // Writes bytes exactly as given; returns the full path.
    std::string write(std::string_view name, std::string_view bytes) const;
    std::string mkdir(std::string_view name) const;

private:
    std::string m_path;
};

std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
std::string dataPath(std::string_view name); // a fixture under tests/data

} // namespace qb::test
