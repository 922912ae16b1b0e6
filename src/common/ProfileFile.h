#pragma once

#include <string>
#include <utility>
#include <vector>

// A profile (INI) file read and written key by key, as the Windows profile
// functions do: section and key names compare case-insensitively, a missing file,
// section or key gives the caller's default, and a write creates the file, the
// section and the key as needed. Values are raw CP949 bytes. Every call reads the
// file afresh; every write replaces the file atomically (temporary file + rename).
namespace qb {

class ProfileFile {
public:
    enum class Access { Shared, OwnerOnly };

    explicit ProfileFile(std::string path, Access access = Access::Shared);

    const std::string& path() const { return m_path; }

    std::string read(const std::string& section, const std::string& key,
                     const std::string& fallback = {}) const;
    // All key/value pairs of a section in file order (empty when missing).
    std::vector<std::pair<std::string, std::string>> readSection(const std::string& section) const;

    bool write(const std::string& section, const std::string& key, const std::string& value) const;
    // Several keys of one section in a single rewrite.
    bool write(const std::string& section,
               const std::vector<std::pair<std::string, std::string>>& values) const;

private:
    std::string m_path;
    Access m_access;
};

} // namespace qb
