#include "common/ProfileFile.h"

#include "common/AtomicFile.h"
#include "common/Bytes.h"
#include "common/RegularFile.h"

#include <optional>

namespace qb {
namespace {

struct Line {
    std::string text;    // without its line end
    std::string section; // set on a section line
    std::string key;     // set on a key line
    bool isSection = false;
    bool isKey = false;
};

struct Document {
    bool bom = false; // a UTF-8 byte-order mark before the first line, kept on rewrite
    std::vector<Line> lines;
    bool crlf = true; // line ends of a new file, or of the file as found
    bool endsWithEol = true;
};

// A folder, a FIFO or a device reads as a missing file.
std::optional<std::string> readFile(const std::string& path) {
    std::string content;
    if (!readRegularFile(path, content))
        return std::nullopt;
    return content;
}

// A NUL ends a name or a value, as it ends the strings the Windows functions copy
// (a file with a zero-filled tail after a crash still reads as it was).
std::string_view untilNul(std::string_view s) {
    return s.substr(0, s.find('\0'));
}

Document parse(const std::string& content) {
    Document doc;
    std::size_t pos = 0;
    // An editor's byte-order mark would otherwise hide the first section.
    static constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (std::string_view(content).substr(0, 3) == kBom) {
        doc.bom = true;
        pos = 3;
    }
    bool sawLf = false, sawCrLf = false;
    while (pos < content.size()) {
        std::size_t end = content.find('\n', pos);
        std::string raw;
        if (end == std::string::npos) {
            raw = content.substr(pos);
            pos = content.size();
            doc.endsWithEol = false;
        } else {
            raw = content.substr(pos, end - pos);
            pos = end + 1;
            doc.endsWithEol = true;
        }
        if (!raw.empty() && raw.back() == '\r') {
            raw.pop_back();
            sawCrLf = true;
        } else if (end != std::string::npos) {
            sawLf = true;
        }
        Line line;
        line.text = raw;
        const std::string_view t = bytes::trim(raw);
        if (t.size() >= 2 && t.front() == '[') {
            const std::size_t close = t.find(']');
            if (close != std::string_view::npos) {
                line.isSection = true;
                line.section = std::string(bytes::trim(untilNul(t.substr(1, close - 1))));
            }
        } else {
            const std::size_t eq = t.find('=');
            if (eq != std::string_view::npos) {
                line.isKey = true;
                line.key = std::string(bytes::trim(untilNul(t.substr(0, eq))));
            }
        }
        doc.lines.push_back(std::move(line));
    }
    if (sawLf && !sawCrLf)
        doc.crlf = false;
    return doc;
}

std::string valueOf(const Line& line) {
    const std::size_t eq = line.text.find('=');
    std::string_view v = bytes::trim(std::string_view(line.text).substr(eq + 1));
    // A value wrapped in matching quotes is read without them.
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(untilNul(v));
}

// Index of the section line, or -1.
long findSection(const Document& doc, const std::string& section) {
    for (std::size_t i = 0; i < doc.lines.size(); ++i)
        if (doc.lines[i].isSection && bytes::equalsIgnoreCase(doc.lines[i].section, section))
            return static_cast<long>(i);
    return -1;
}

std::string serialise(const Document& doc) {
    std::string out = doc.bom ? "\xEF\xBB\xBF" : "";
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        out += doc.lines[i].text;
        if (i + 1 < doc.lines.size() || doc.endsWithEol)
            out += doc.crlf ? "\r\n" : "\n";
    }
    return out;
}

void setValue(Document& doc, const std::string& section, const std::string& key, const std::string& value) {
    long s = findSection(doc, section);
    if (s < 0) {
        if (!doc.lines.empty() && !doc.endsWithEol)
            doc.endsWithEol = true;
        Line head;
        head.text = "[" + section + "]";
        head.isSection = true;
        head.section = section;
        doc.lines.push_back(head);
        s = static_cast<long>(doc.lines.size()) - 1;
        doc.endsWithEol = true;
    }
    std::size_t insertAt = static_cast<std::size_t>(s) + 1;
    for (std::size_t i = insertAt; i < doc.lines.size() && !doc.lines[i].isSection; ++i) {
        if (doc.lines[i].isKey && bytes::equalsIgnoreCase(doc.lines[i].key, key)) {
            doc.lines[i].text = key + "=" + value;
            doc.lines[i].key = key;
            return;
        }
        if (!bytes::trim(doc.lines[i].text).empty())
            insertAt = i + 1;
    }
    Line line;
    line.text = key + "=" + value;
    line.isKey = true;
    line.key = key;
    doc.lines.insert(doc.lines.begin() + static_cast<long>(insertAt), line);
    if (insertAt == doc.lines.size() - 1)
        doc.endsWithEol = true;
}

} // namespace

ProfileFile::ProfileFile(std::string path, Access access) : m_path(std::move(path)), m_access(access) {}

std::string ProfileFile::read(const std::string& section, const std::string& key,
                              const std::string& fallback) const {
    const auto content = readFile(m_path);
    if (!content)
        return fallback;
    const Document doc = parse(*content);
    const long s = findSection(doc, section);
    if (s < 0)
        return fallback;
    for (std::size_t i = static_cast<std::size_t>(s) + 1; i < doc.lines.size() && !doc.lines[i].isSection;
         ++i)
        if (doc.lines[i].isKey && bytes::equalsIgnoreCase(doc.lines[i].key, key))
            return valueOf(doc.lines[i]);
    return fallback;
}

std::vector<std::pair<std::string, std::string>> ProfileFile::readSection(const std::string& section) const {
    std::vector<std::pair<std::string, std::string>> result;
    const auto content = readFile(m_path);
    if (!content)
        return result;
    const Document doc = parse(*content);
    const long s = findSection(doc, section);
    if (s < 0)
        return result;
    for (std::size_t i = static_cast<std::size_t>(s) + 1; i < doc.lines.size() && !doc.lines[i].isSection;
         ++i)
        if (doc.lines[i].isKey)
            result.emplace_back(doc.lines[i].key, valueOf(doc.lines[i]));
    return result;
}

bool ProfileFile::write(const std::string& section, const std::string& key, const std::string& value) const {
    return write(section, {{key, value}});
}

bool ProfileFile::write(const std::string& section,
                        const std::vector<std::pair<std::string, std::string>>& values) const {
    // A line break in a name or value would make lines of its own, and a NUL would end
    // the value when read back: such a write is refused and the file left as it is.
    static constexpr std::string_view kBreaking("\r\n\0", 3);
    if (section.find_first_of(kBreaking) != std::string::npos)
        return false;
    for (const auto& [key, value] : values)
        if (key.find_first_of(kBreaking) != std::string::npos ||
            value.find_first_of(kBreaking) != std::string::npos)
            return false;
    Document doc = parse(readFile(m_path).value_or(std::string()));
    for (const auto& [key, value] : values)
        setValue(doc, section, key, value);
    return writeFileAtomically(m_path, serialise(doc),
                               m_access == Access::OwnerOnly ? FilePermissions::OwnerOnly
                                                             : FilePermissions::Shared);
}

} // namespace qb
