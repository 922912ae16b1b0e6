#include "send/BiffCells.h"

#include "send/CellText.h"
#include "send/WorkbookReader.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace qb {
namespace {

std::uint16_t u16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}
std::uint32_t u32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(u16(b, at)) | static_cast<std::uint32_t>(u16(b, at + 2)) << 16;
}

void appendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// A compound file's stream by name, following the sector chains with every bound
// checked: a chain that loops or leaves the file ends the read.
class CompoundFile {
public:
    explicit CompoundFile(std::string_view file) : m_file(file) {}

    bool stream(std::u16string_view wanted1, std::u16string_view wanted2, std::string& out) {
        if (m_file.size() < 512 || std::memcmp(m_file.data(), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) != 0)
            return false;
        const unsigned shift = u16(m_file, 0x1E);
        if (shift != 9 && shift != 12)
            return false;
        m_sector = std::size_t{1} << shift;
        const std::uint32_t fatSectors = u32(m_file, 0x2C);
        std::vector<std::uint32_t> fatIds;
        for (std::size_t i = 0; i < 109 && fatIds.size() < fatSectors; ++i)
            fatIds.push_back(u32(m_file, 0x4C + 4 * i));
        std::uint32_t difat = u32(m_file, 0x44);
        for (std::size_t guard = 0; difat < kEnd && fatIds.size() < fatSectors && guard < sectorCount();
             ++guard) {
            std::string_view s;
            if (!sector(difat, s))
                return false;
            for (std::size_t i = 0; i + 1 < m_sector / 4 && fatIds.size() < fatSectors; ++i)
                fatIds.push_back(u32(s, 4 * i));
            difat = u32(s, m_sector - 4);
        }
        for (std::uint32_t id : fatIds) {
            std::string_view s;
            if (!sector(id, s))
                return false;
            for (std::size_t i = 0; i < m_sector / 4; ++i)
                m_fat.push_back(u32(s, 4 * i));
        }
        std::string dir;
        if (!chain(m_fat, u32(m_file, 0x30), dir))
            return false;
        std::string root;
        bool rootRead = false;
        for (std::size_t e = 0; e + 128 <= dir.size(); e += 128) {
            const std::string_view entry(dir.data() + e, 128);
            const std::size_t nameBytes = std::min<std::size_t>(u16(entry, 64), 64);
            std::u16string name;
            for (std::size_t i = 0; i + 1 < nameBytes; i += 2)
                if (const char16_t c = u16(entry, i))
                    name.push_back(c);
            const unsigned type = static_cast<unsigned char>(entry[66]);
            const std::uint32_t start = u32(entry, 116);
            const std::uint32_t size = u32(entry, 120);
            if (type == 5 && !rootRead)
                rootRead = chain(m_fat, start, root);
            if (type != 2 || (name != wanted1 && name != wanted2))
                continue;
            if (size < u32(m_file, 0x38)) {
                // A small stream lives in the mini stream, in 64-byte sectors.
                std::string miniFatBytes;
                if (!rootRead || !chain(m_fat, u32(m_file, 0x3C), miniFatBytes))
                    return false;
                std::vector<std::uint32_t> miniFat;
                for (std::size_t i = 0; i + 4 <= miniFatBytes.size(); i += 4)
                    miniFat.push_back(u32(miniFatBytes, i));
                return miniChain(miniFat, root, start, size, out);
            }
            if (!chain(m_fat, start, out))
                return false;
            if (out.size() > size)
                out.resize(size);
            return true;
        }
        return false;
    }

private:
    static constexpr std::uint32_t kEnd = 0xFFFFFFFA; // ids from here on end or mark chains

    std::size_t sectorCount() const { return m_file.size() / m_sector; }
    bool sector(std::uint32_t id, std::string_view& out) const {
        const std::size_t at = (static_cast<std::size_t>(id) + 1) * m_sector;
        if (id >= kEnd || at + m_sector > m_file.size())
            return false;
        out = m_file.substr(at, m_sector);
        return true;
    }
    bool chain(const std::vector<std::uint32_t>& fat, std::uint32_t id, std::string& out) const {
        out.clear();
        for (std::size_t steps = 0; id < kEnd; ++steps) {
            std::string_view s;
            if (steps > sectorCount() || id >= fat.size() || !sector(id, s))
                return false;
            out.append(s);
            id = fat[id];
        }
        return true;
    }
    bool miniChain(const std::vector<std::uint32_t>& miniFat, const std::string& root, std::uint32_t id,
                   std::uint32_t size, std::string& out) const {
        out.clear();
        for (std::size_t steps = 0; id < kEnd && out.size() < size; ++steps) {
            const std::size_t at = static_cast<std::size_t>(id) * 64;
            if (steps > miniFat.size() || id >= miniFat.size() || at + 64 > root.size())
                return false;
            out.append(root, at, 64);
            id = miniFat[id];
        }
        if (out.size() > size)
            out.resize(size);
        return true;
    }

    std::string_view m_file;
    std::size_t m_sector = 512;
    std::vector<std::uint32_t> m_fat;
};

struct Record {
    unsigned id = 0;
    std::string_view data;
};

// BIFF records one after the other from `pos`.
bool nextRecord(std::string_view s, std::size_t& pos, Record& r) {
    if (pos + 4 > s.size())
        return false;
    r.id = u16(s, pos);
    const std::size_t len = u16(s, pos + 2);
    if (pos + 4 + len > s.size())
        return false;
    r.data = s.substr(pos + 4, len);
    pos += 4 + len;
    return true;
}

// An XLUnicodeString without its length: 8-bit or UTF-16LE characters.
std::string unicodeChars(std::string_view data, std::size_t at, std::size_t count) {
    std::string out;
    if (at >= data.size())
        return out;
    const bool wide = static_cast<unsigned char>(data[at]) & 1;
    ++at;
    for (std::size_t i = 0; i < count; ++i) {
        if (wide) {
            if (at + 2 > data.size())
                break;
            appendUtf8(out, u16(data, at));
            at += 2;
        } else {
            if (at >= data.size())
                break;
            appendUtf8(out, static_cast<unsigned char>(data[at]));
            ++at;
        }
    }
    return out;
}

std::string errorText(unsigned code) {
    switch (code) {
    case 0x00:
        return "#NULL!";
    case 0x07:
        return "#DIV/0!";
    case 0x0F:
        return "#VALUE!";
    case 0x17:
        return "#REF!";
    case 0x1D:
        return "#NAME?";
    case 0x24:
        return "#NUM!";
    case 0x2A:
        return "#N/A";
    default:
        return "#N/A";
    }
}

} // namespace

bool readBiffExtraCells(std::string_view file, int index,
                        const std::function<void(int row, int column, std::string text)>& sink) {
    std::string book;
    if (!CompoundFile(file).stream(u"Workbook", u"Book", book))
        return false;
    std::size_t pos = 0;
    Record r;
    if (!nextRecord(book, pos, r) || r.id != 0x0809 || r.data.size() < 2 || u16(r.data, 0) != 0x0600)
        return false; // BIFF8 only

    std::vector<std::uint32_t> sheetOffsets;
    std::vector<int> xfFormat;
    std::vector<std::pair<int, celltext::DateParts>> formats;
    bool date1904 = false;
    while (nextRecord(book, pos, r) && r.id != 0x000A) {
        if (r.id == 0x0085 && r.data.size() >= 6)
            sheetOffsets.push_back(u32(r.data, 0));
        else if (r.id == 0x00E0 && r.data.size() >= 4)
            xfFormat.push_back(u16(r.data, 2));
        else if (r.id == 0x041E && r.data.size() >= 5)
            formats.emplace_back(u16(r.data, 0),
                                 celltext::datePartsOfFormat(unicodeChars(r.data, 4, u16(r.data, 2))));
        else if (r.id == 0x0022 && r.data.size() >= 2)
            date1904 = u16(r.data, 0) == 1;
    }
    if (index < 0 || index >= static_cast<int>(sheetOffsets.size()))
        return false;
    auto dateParts = [&](unsigned xf) {
        if (xf >= xfFormat.size())
            return celltext::DateParts::None;
        const int id = xfFormat[xf];
        for (const auto& [fmt, parts] : formats)
            if (fmt == id)
                return parts;
        return celltext::datePartsOfBuiltinFormat(id);
    };

    pos = sheetOffsets[static_cast<std::size_t>(index)];
    int depth = 0;
    int pendingRow = -1, pendingColumn = -1; // a formula whose text result follows
    while (nextRecord(book, pos, r)) {
        if (r.id == 0x0809) {
            ++depth;
            continue;
        }
        if (r.id == 0x000A) {
            if (--depth <= 0)
                break;
            continue;
        }
        if (depth != 1)
            continue; // a chart or other sub-stream inside the sheet
        if (r.id == 0x0006 && r.data.size() >= 20) {
            const int row = u16(r.data, 0), column = u16(r.data, 2);
            pendingRow = -1;
            if (row >= kMaxSheetRows || column >= kMaxSheetColumns)
                continue;
            const std::string_view result = r.data.substr(6, 8);
            if (u16(result, 6) == 0xFFFF) {
                const unsigned kind = static_cast<unsigned char>(result[0]);
                const unsigned value = static_cast<unsigned char>(result[2]);
                if (kind == 0) {
                    pendingRow = row;
                    pendingColumn = column;
                } else if (kind == 1) {
                    sink(row, column, value ? "TRUE" : "FALSE");
                } else if (kind == 2) {
                    sink(row, column, errorText(value));
                }
                continue;
            }
            double v;
            std::memcpy(&v, result.data(), sizeof v);
            const celltext::DateParts parts = dateParts(u16(r.data, 4));
            sink(row, column,
                 parts == celltext::DateParts::None ? celltext::number(v)
                                                    : celltext::serialDate(v, parts, date1904));
        } else if (r.id == 0x0207 && pendingRow >= 0 && r.data.size() >= 3) {
            std::string text = unicodeChars(r.data, 2, u16(r.data, 0));
            if (!text.empty())
                sink(pendingRow, pendingColumn, std::move(text));
            pendingRow = -1;
        } else if (r.id == 0x0205 && r.data.size() >= 8) {
            const int row = u16(r.data, 0), column = u16(r.data, 2);
            const unsigned value = static_cast<unsigned char>(r.data[6]);
            const bool isError = r.data[7] != 0;
            if (row < kMaxSheetRows && column < kMaxSheetColumns)
                sink(row, column, isError ? errorText(value) : (value ? "TRUE" : "FALSE"));
        }
    }
    return true;
}

} // namespace qb
