#include "import/BiffCells.h"

#include "common/Bytes.h"
#include "import/CellText.h"
#include "import/WorkbookReader.h"

#include <algorithm>
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

using bytes::appendUtf8;

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
    default:
        return "#N/A";
    }
}

} // namespace

namespace {

// UTF-16 code units to UTF-8: pairs joined, a lone surrogate (a name cut inside a
// pair, say) becomes U+FFFD.
class Utf16Text {
public:
    void unit(unsigned u) {
        if (m_high) {
            const unsigned high = m_high;
            m_high = 0;
            if (u >= 0xDC00 && u <= 0xDFFF) {
                appendUtf8(m_out, 0x10000 + ((high - 0xD800) << 10) + (u - 0xDC00));
                return;
            }
            appendUtf8(m_out, 0xFFFD);
        }
        if (u >= 0xD800 && u <= 0xDBFF)
            m_high = u;
        else
            appendUtf8(m_out, (u >= 0xDC00 && u <= 0xDFFF) || u == 0 ? 0xFFFD : u);
    }
    std::string take() {
        if (m_high)
            appendUtf8(m_out, 0xFFFD);
        m_high = 0;
        return std::move(m_out);
    }

private:
    std::string m_out;
    unsigned m_high = 0;
};

// A record and its CONTINUE records read as one: fields may cross a record
// boundary, and characters that do start the next record with a new flags byte.
class ContinuedRecord {
public:
    void add(std::string_view data) { m_parts.push_back(data); }

    bool bytes(std::size_t n, std::string* out = nullptr) {
        while (n > 0) {
            if (!ensure())
                return false;
            const std::size_t take = std::min(n, m_parts[m_part].size() - m_pos);
            if (out)
                out->append(m_parts[m_part].substr(m_pos, take));
            m_pos += take;
            n -= take;
        }
        return true;
    }
    bool u8(unsigned& v) {
        std::string b;
        if (!bytes(1, &b))
            return false;
        v = static_cast<unsigned char>(b[0]);
        return true;
    }
    bool u16le(unsigned& v) {
        std::string b;
        if (!bytes(2, &b))
            return false;
        v = u16(b, 0);
        return true;
    }
    bool u32le(std::uint32_t& v) {
        std::string b;
        if (!bytes(4, &b))
            return false;
        v = u32(b, 0);
        return true;
    }
    // `count` characters, 8-bit or UTF-16LE as `wide` says, switching as each
    // following record's flags byte says.
    bool chars(std::size_t count, bool wide, std::string& out) {
        Utf16Text text;
        while (count > 0) {
            if (m_pos == m_parts[m_part].size()) {
                if (m_part + 1 >= m_parts.size())
                    return false;
                ++m_part;
                m_pos = 0;
                unsigned flags = 0;
                if (!u8(flags))
                    return false;
                wide = flags & 1;
            }
            const std::string_view part = m_parts[m_part];
            if (wide) {
                if (m_pos + 2 > part.size())
                    return false;
                text.unit(u16(part, m_pos));
                m_pos += 2;
            } else {
                text.unit(static_cast<unsigned char>(part[m_pos]));
                ++m_pos;
            }
            --count;
        }
        out = text.take();
        return true;
    }
    // An XLUnicodeRichExtendedString, as in the shared string table.
    bool richString(std::string& out) {
        unsigned count = 0, flags = 0, runs = 0;
        std::uint32_t extension = 0;
        if (!u16le(count) || !u8(flags))
            return false;
        if ((flags & 0x08) && !u16le(runs))
            return false;
        if ((flags & 0x04) && !u32le(extension))
            return false;
        return chars(count, flags & 1, out) && bytes(std::size_t{runs} * 4) && bytes(extension);
    }

private:
    bool ensure() {
        while (m_part < m_parts.size() && m_pos == m_parts[m_part].size()) {
            ++m_part;
            m_pos = 0;
        }
        return m_part < m_parts.size();
    }

    std::vector<std::string_view> m_parts;
    std::size_t m_part = 0;
    std::size_t m_pos = 0;
};

// A string of one record: a 8- or 16-bit count, the flags byte, the characters.
std::string recordString(std::string_view data, std::size_t at, bool shortCount) {
    ContinuedRecord r;
    r.add(data);
    unsigned count = 0, flags = 0;
    std::string text;
    if (!r.bytes(at) || !(shortCount ? r.u8(count) : r.u16le(count)) || !r.u8(flags))
        return {};
    std::size_t skip = 0;
    if (flags & 0x08)
        skip += 2;
    if (flags & 0x04)
        skip += 4;
    if (!r.bytes(skip))
        return {};
    r.chars(count, flags & 1, text);
    return text;
}

double rkValue(std::uint32_t rk) {
    double v;
    if (rk & 0x02) {
        v = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return (rk & 0x01) ? v / 100 : v;
}

// What the workbook globals hold that the sheets need.
struct BookGlobals {
    std::vector<std::uint32_t> sheetOffsets;
    std::vector<std::string> sheetNames;
    std::vector<int> xfFormat;
    std::vector<std::pair<int, celltext::DateParts>> formats;
    std::vector<std::string> strings;
    bool date1904 = false;

    // A number as its cell shows it: a date when its format is one.
    std::string numberText(unsigned xf, double v) const {
        celltext::DateParts parts = celltext::DateParts::None;
        if (xf < xfFormat.size()) {
            const int id = xfFormat[xf];
            parts = celltext::datePartsOfBuiltinFormat(id);
            for (const auto& [fmt, custom] : formats)
                if (fmt == id) {
                    parts = custom;
                    break;
                }
        }
        return parts == celltext::DateParts::None ? celltext::number(v)
                                                  : celltext::serialDate(v, parts, date1904);
    }
};

bool inSheet(int row, int column) {
    return row < kMaxSheetRows && column < kMaxSheetColumns;
}

// The shared strings: the SST record and the CONTINUE records after it.
bool readSharedStrings(std::string_view book, std::size_t& pos, const Record& first,
                       std::vector<std::string>& strings) {
    ContinuedRecord sst;
    sst.add(first.data);
    std::size_t next = pos;
    Record c;
    while (nextRecord(book, next, c) && c.id == 0x003C) {
        sst.add(c.data);
        pos = next;
    }
    std::uint32_t total = 0, unique = 0;
    if (!sst.u32le(total) || !sst.u32le(unique))
        return false;
    // The count is what the file claims; the strings are what it holds.
    for (std::uint32_t i = 0; i < unique; ++i) {
        std::string text;
        if (!sst.richString(text))
            break;
        strings.push_back(std::move(text));
    }
    return true;
}

// The "Workbook" stream's globals, up to their EOF. False unless they are
// unencrypted BIFF8 globals naming at least one sheet.
bool readGlobals(std::string_view book, BookGlobals& g) {
    std::size_t pos = 0;
    Record r;
    if (!nextRecord(book, pos, r) || r.id != 0x0809 || r.data.size() < 4 || u16(r.data, 0) != 0x0600 ||
        u16(r.data, 2) != 0x0005)
        return false;
    while (nextRecord(book, pos, r)) {
        switch (r.id) {
        case 0x000A:
            return !g.sheetNames.empty();
        case 0x002F: // FILEPASS: encrypted
            return false;
        case 0x0085:
            if (r.data.size() < 8)
                return false;
            g.sheetOffsets.push_back(u32(r.data, 0));
            g.sheetNames.push_back(recordString(r.data, 6, true));
            break;
        case 0x00E0:
            if (r.data.size() >= 4)
                g.xfFormat.push_back(u16(r.data, 2));
            break;
        case 0x041E:
            if (r.data.size() >= 5)
                g.formats.emplace_back(u16(r.data, 0),
                                       celltext::datePartsOfFormat(recordString(r.data, 2, false)));
            break;
        case 0x0022:
            if (r.data.size() >= 2)
                g.date1904 = u16(r.data, 0) == 1;
            break;
        case 0x00FC:
            if (!readSharedStrings(book, pos, r, g.strings))
                return false;
            break;
        default:
            break;
        }
    }
    return false; // no EOF
}

using CellSinkFn = std::function<void(int row, int column, std::string text)>;

// Strings, numbers and dates of a sheet's own substream (not of a chart inside it).
bool readValueCells(std::string_view book, const BookGlobals& g, int index, const CellSinkFn& sink) {
    std::size_t pos = g.sheetOffsets[static_cast<std::size_t>(index)];
    Record r;
    if (!nextRecord(book, pos, r) || r.id != 0x0809)
        return false;
    int depth = 1;
    while (depth > 0 && nextRecord(book, pos, r)) {
        if (r.id == 0x0809) {
            ++depth;
            continue;
        }
        if (r.id == 0x000A) {
            --depth;
            continue;
        }
        if (depth != 1 || r.data.size() < 6)
            continue;
        const int row = u16(r.data, 0), column = u16(r.data, 2);
        const unsigned xf = u16(r.data, 4);
        switch (r.id) {
        case 0x00FD: // LABELSST
            if (r.data.size() >= 10 && inSheet(row, column) && u32(r.data, 6) < g.strings.size())
                sink(row, column, g.strings[u32(r.data, 6)]);
            break;
        case 0x0204: // LABEL
        case 0x00D6: // RSTRING
            if (inSheet(row, column))
                sink(row, column, recordString(r.data, 6, false));
            break;
        case 0x0203: // NUMBER
            if (r.data.size() >= 14 && inSheet(row, column)) {
                double v;
                std::memcpy(&v, r.data.data() + 6, sizeof v);
                sink(row, column, g.numberText(xf, v));
            }
            break;
        case 0x027E: // RK
            if (r.data.size() >= 10 && inSheet(row, column))
                sink(row, column, g.numberText(xf, rkValue(u32(r.data, 6))));
            break;
        case 0x00BD: // MULRK: xf and value for each column, the last column at the end
            for (std::size_t at = 4, c = static_cast<std::size_t>(column); at + 6 + 2 <= r.data.size();
                 at += 6, ++c)
                if (inSheet(row, static_cast<int>(c)))
                    sink(row, static_cast<int>(c),
                         g.numberText(u16(r.data, at), rkValue(u32(r.data, at + 2))));
            break;
        default:
            break;
        }
    }
    return true;
}

// Formula results (numbers, dates, text, booleans, errors) and boolean or error constants.
void readFormulaCells(std::string_view book, const BookGlobals& g, int index, const CellSinkFn& sink) {
    std::size_t pos = g.sheetOffsets[static_cast<std::size_t>(index)];
    Record r;
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
            sink(row, column, g.numberText(u16(r.data, 4), v));
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
}

} // namespace

bool readBiffExtraCells(std::string_view file, int index, const CellSinkFn& sink) {
    std::string book;
    BookGlobals g;
    if (!CompoundFile(file).stream(u"Workbook", u"Book", book) || !readGlobals(book, g))
        return false;
    if (index < 0 || index >= static_cast<int>(g.sheetOffsets.size()))
        return false;
    readFormulaCells(book, g, index, sink);
    return true;
}

bool readBiffWorkbook(std::string_view file, std::vector<std::string>& sheetNames, int index,
                      const CellSinkFn& sink) {
    sheetNames.clear();
    std::string book;
    BookGlobals g;
    if (!CompoundFile(file).stream(u"Workbook", u"Book", book) || !readGlobals(book, g))
        return false;
    sheetNames = g.sheetNames;
    if (index < 0)
        return true;
    if (index >= static_cast<int>(g.sheetOffsets.size()) || !readValueCells(book, g, index, sink))
        return false;
    // After the values, so a formula's result wins over anything given for its cell.
    readFormulaCells(book, g, index, sink);
    return true;
}

} // namespace qb
