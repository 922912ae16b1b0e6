#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A profile (INI) file read and written key by key, as the Windows profile
// functions do: section and key names compare case-insensitively, a missing file,
// section or key gives the caller's default, and a write creates the file, the
// section and the key as needed. Values are raw CP949 bytes. Every call reads the
// file afresh (load() reads it once for many keys); every write replaces the file
// atomically (temporary file + rename).
//
// Profile files are small. One over kMaxBytes is not read at all: it reads as a
// missing file (every key its default), a write to it is refused, and
// tooLargeMessage() is what the user is told.
namespace qb {

class ProfileFile {
public:
    enum class Access { Shared, OwnerOnly };
    static constexpr std::size_t kMaxBytes = 1024 * 1024;

    // The file as one read found it, parsed once.
    class Contents {
    public:
        bool tooLarge() const { return m_tooLarge; }
        std::string read(std::string_view section, std::string_view key,
                         const std::string& fallback = {}) const;
        std::vector<std::pair<std::string, std::string>> readSection(std::string_view section) const;

    private:
        friend class ProfileFile;
        struct Section {
            std::string name;
            std::vector<std::pair<std::string, std::string>> keys; // in file order
        };
        const Section* find(std::string_view section) const;
        std::vector<Section> m_sections;
        bool m_tooLarge = false;
    };

    explicit ProfileFile(std::string path, Access access = Access::Shared);

    const std::string& path() const { return m_path; }
    Contents load() const;
    // "<path>\n설정 파일이 너무 큽니다(1MB 초과). 이 파일은 읽지 않습니다."
    static std::string tooLargeMessage(const std::string& path);

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
