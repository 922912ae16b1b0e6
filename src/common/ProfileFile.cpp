#include "common/ProfileFile.h"

#include "common/AtomicFile.h"
#include "common/Bytes.h"
#include "common/Cp949.h"
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

// A folder, a FIFO or a device reads as a missing file; so does one over the limit,
// which `tooLarge` tells.
std::optional<std::string> readFile(const std::string& path, bool* tooLarge = nullptr) {
    std::string content;
    const FileRead r = readRegularFile(path, content, ProfileFile::kMaxBytes);
    if (tooLarge)
        *tooLarge = r == FileRead::TooLarge;
    if (r != FileRead::Ok)
        return std::nullopt;
    return content;
}

// A NUL ends a name or a value, as it ends the strings the Windows functions copy
// (a file with a zero-filled tail after a crash still reads as it was).
std::string_view untilNul(std::string_view s) {
    return s.substr(0, s.find('\0'));
}

struct LineView {
    bool isSection = false;
    bool isKey = false;
    std::string_view name; // the section's or the key's
};

LineView classify(std::string_view raw) {
    LineView v;
    const std::string_view t = bytes::trim(raw);
    if (t.size() >= 2 && t.front() == '[') {
        const std::size_t close = t.find(']');
        if (close != std::string_view::npos) {
            v.isSection = true;
            v.name = bytes::trim(untilNul(t.substr(1, close - 1)));
        }
    } else {
        const std::size_t eq = t.find('=');
        if (eq != std::string_view::npos) {
            v.isKey = true;
            v.name = bytes::trim(untilNul(t.substr(0, eq)));
        }
    }
    return v;
}

std::string valueOf(std::string_view text) {
    const std::size_t eq = text.find('=');
    std::string_view v = bytes::trim(text.substr(eq + 1));
    // A value wrapped in matching quotes is read without them.
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(untilNul(v));
}

// Calls fn(line without its line end, whether it ended in CR LF, whether it had a
// line end) for every line after an optional byte-order mark; true when there was one.
template <typename Fn> bool forEachLine(std::string_view content, Fn&& fn) {
    // An editor's byte-order mark would otherwise hide the first section.
    static constexpr std::string_view kBom = "\xEF\xBB\xBF";
    const bool bom = content.substr(0, 3) == kBom;
    std::size_t pos = bom ? 3 : 0;
    while (pos < content.size()) {
        const std::size_t end = content.find('\n', pos);
        std::string_view raw = content.substr(pos, end == std::string_view::npos ? end : end - pos);
        pos = end == std::string_view::npos ? content.size() : end + 1;
        const bool cr = !raw.empty() && raw.back() == '\r';
        if (cr)
            raw.remove_suffix(1);
        fn(raw, cr, end != std::string_view::npos);
    }
    return bom;
}

Document parse(const std::string& content) {
    Document doc;
    bool sawLf = false, sawCrLf = false;
    doc.bom = forEachLine(content, [&](std::string_view raw, bool cr, bool eol) {
        doc.endsWithEol = eol;
        sawCrLf = sawCrLf || cr;
        sawLf = sawLf || (!cr && eol);
        const LineView v = classify(raw);
        Line line;
        line.text = raw;
        line.isSection = v.isSection;
        line.isKey = v.isKey;
        (v.isSection ? line.section : line.key) = std::string(v.name);
        doc.lines.push_back(std::move(line));
    });
    if (sawLf && !sawCrLf)
        doc.crlf = false;
    return doc;
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

ProfileFile::Contents ProfileFile::load() const {
    Contents c;
    const auto content = readFile(m_path, &c.m_tooLarge);
    if (!content)
        return c;
    // Only section and key lines are kept: blank lines and comments cost nothing.
    forEachLine(*content, [&](std::string_view raw, bool, bool) {
        const LineView v = classify(raw);
        if (v.isSection)
            c.m_sections.push_back({std::string(v.name), {}});
        else if (v.isKey && !c.m_sections.empty())
            c.m_sections.back().keys.emplace_back(std::string(v.name), valueOf(raw));
    });
    return c;
}

const ProfileFile::Contents::Section* ProfileFile::Contents::find(std::string_view section) const {
    // The first section of the name, as the platform's functions take it.
    for (const Section& s : m_sections)
        if (bytes::equalsIgnoreCase(s.name, section))
            return &s;
    return nullptr;
}

std::string ProfileFile::Contents::read(std::string_view section, std::string_view key,
                                        const std::string& fallback) const {
    if (const Section* s = find(section))
        for (const auto& [k, v] : s->keys)
            if (bytes::equalsIgnoreCase(k, key))
                return v;
    return fallback;
}

std::vector<std::pair<std::string, std::string>>
ProfileFile::Contents::readSection(std::string_view section) const {
    const Section* s = find(section);
    return s ? s->keys : std::vector<std::pair<std::string, std::string>>{};
}

std::string ProfileFile::read(const std::string& section, const std::string& key,
                              const std::string& fallback) const {
    return load().read(section, key, fallback);
}

std::vector<std::pair<std::string, std::string>> ProfileFile::readSection(const std::string& section) const {
    return load().readSection(section);
}

std::string ProfileFile::tooLargeMessage(const std::string& path) {
    static const std::string text = ko("설정 파일이 너무 큽니다(1MB 초과). 이 파일은 읽지 않습니다.");
    return cp949::fromNativePath(path) + "\n" + text;
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
    bool tooLarge = false;
    const auto content = readFile(m_path, &tooLarge);
    if (tooLarge)
        return false; // rewriting it would drop what could not be read
    Document doc = parse(content.value_or(std::string()));
    for (const auto& [key, value] : values)
        setValue(doc, section, key, value);
    return writeFileAtomically(m_path, serialise(doc),
                               m_access == Access::OwnerOnly ? FilePermissions::OwnerOnly
                                                             : FilePermissions::Shared);
}

} // namespace qb
