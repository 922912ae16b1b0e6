#include "common/Bytes.h"
#include "common/Cp949.h"
#include "import/CellText.h"
#include "import/WorkbookReader.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <expat.h>
#include <future>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <zip.h>

// The small parts (relationships, the workbook, styles) are read whole with pugixml.
// Shared strings and sheets can be hundreds of megabytes of XML even in a small file
// (a sheet of millions of empty cells compresses to almost nothing), so they are
// streamed through expat straight from the zip entry: memory follows the cells that
// hold something, not the size of the XML. The shared strings are read on a second
// core while the sheet is read; texts are gathered in blocks and converted to CP949
// a block at a time.

namespace qb {
namespace {

// The parts read whole are small in any real workbook.
constexpr zip_uint64_t kMaxPartBytes = zip_uint64_t{1} << 28;

std::string_view localName(const char* name) {
    // Names of one or two letters ("c", "v", "r", "t", "is") are most of a sheet.
    if (name[0] && name[0] != ':' && (!name[1] || (name[1] != ':' && !name[2])))
        return std::string_view(name, name[1] ? 2 : 1);
    const char* colon = std::strrchr(name, ':');
    return colon ? std::string_view(colon + 1) : std::string_view(name);
}

pugi::xml_node child(pugi::xml_node node, std::string_view name) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && localName(c.name()) == name)
            return c;
    return {};
}

pugi::xml_attribute attribute(pugi::xml_node node, std::string_view name) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
        if (localName(a.name()) == name)
            return a;
    return {};
}

template <typename F> void forEachChild(pugi::xml_node node, std::string_view name, F&& f) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && localName(c.name()) == name)
            f(c);
}

// "_x000D_" and the like: characters XML cannot carry, escaped by the writer.
std::string unescapeOoxml(std::string s) {
    if (s.find("_x") == std::string::npos)
        return s;
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '_' && i + 6 < s.size() && s[i + 1] == 'x' && s[i + 6] == '_') {
            unsigned v = 0;
            const auto r = std::from_chars(s.data() + i + 2, s.data() + i + 6, v, 16);
            if (r.ec == std::errc() && r.ptr == s.data() + i + 6) {
                // A NUL has no place in a cell.
                if (v != 0)
                    bytes::appendUtf8(out, v);
                i += 6;
                continue;
            }
        }
        out.push_back(s[i]);
    }
    return out;
}

enum class Reference { Ok, OutOfSheet, Malformed };

// "C5" -> row 4, column 2 (from 0). A reference past the sheet's last row or column
// is OutOfSheet; anything that is no reference is Malformed.
Reference parseReference(std::string_view ref, int& row, int& column) {
    std::size_t i = 0;
    long col = 0;
    while (i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && i < 4)
        col = col * 26 + (ref[i++] - 'A' + 1);
    if (i == 0 || i == ref.size() || i > 3)
        return Reference::Malformed;
    long long r = 0;
    for (; i < ref.size(); ++i) {
        if (ref[i] < '0' || ref[i] > '9' || i > 12)
            return Reference::Malformed;
        r = r * 10 + (ref[i] - '0');
    }
    if (r < 1)
        return Reference::Malformed;
    if (r > kMaxSheetRows || col > kMaxSheetColumns)
        return Reference::OutOfSheet;
    row = static_cast<int>(r - 1);
    column = static_cast<int>(col - 1);
    return Reference::Ok;
}

// A row number as written; 0 when it is none.
long long parseRowNumber(const char* text) {
    long long r = 0;
    const char* end = text + std::strlen(text);
    const auto parsed = std::from_chars(text, end, r);
    if (parsed.ec == std::errc::result_out_of_range)
        return kMaxSheetRows + 1LL;
    return parsed.ec == std::errc() && parsed.ptr == end && r > 0 ? r : 0;
}

const char* attributeOf(const char** attributes, std::string_view name) {
    for (const char** a = attributes; *a; a += 2)
        if (localName(a[0]) == name)
            return a[1];
    return nullptr;
}

// An append-only list in blocks: growing never copies what is there, so a sheet of
// millions of cells touches each page once.
template <typename T> class Chunks {
public:
    void push_back(const T& v) {
        if (m_used == kChunk || m_chunks.empty()) {
            m_chunks.push_back(std::make_unique_for_overwrite<T[]>(kChunk));
            m_used = 0;
        }
        m_chunks.back()[m_used++] = v;
    }
    std::size_t size() const { return m_chunks.empty() ? 0 : (m_chunks.size() - 1) * kChunk + m_used; }
    template <typename F> void forEach(F&& f) const {
        for (std::size_t c = 0; c < m_chunks.size(); ++c)
            for (std::size_t i = 0, n = c + 1 == m_chunks.size() ? m_used : kChunk; i < n; ++i)
                f(m_chunks[c][i]);
    }

private:
    static constexpr std::size_t kChunk = (std::size_t{4} << 20) / sizeof(T);
    std::vector<std::unique_ptr<T[]>> m_chunks;
    std::size_t m_used = 0;
};

// Texts one after the other, each ended by a NUL (which no cell holds), converted
// from UTF-8 to CP949 in one go.
class TextBlock {
public:
    void append(std::string_view text) {
        if (m_bytes.size() + text.size() + 1 > m_bytes.capacity()) {
            m_bytes.reserve(
                std::max<std::size_t>(2 * m_bytes.capacity(), m_bytes.size() + text.size() + (1 << 16)));
        }
        if (std::memchr(text.data(), '\0', text.size())) {
            for (char c : text)
                if (c)
                    m_bytes.push_back(c);
        } else {
            m_bytes.append(text);
        }
        m_bytes.push_back('\0');
    }
    void toCp949() { m_bytes = cp949::fromUtf8(m_bytes).text; }
    std::size_t size() const { return m_bytes.size(); }
    const char* data() const { return m_bytes.data(); }
    // The texts in order, after toCp949().
    class Reader {
    public:
        explicit Reader(const std::string& bytes) : m_at(bytes.data()), m_end(bytes.data() + bytes.size()) {}
        std::string_view next() {
            const char* nul =
                static_cast<const char*>(std::memchr(m_at, '\0', static_cast<std::size_t>(m_end - m_at)));
            if (!nul)
                nul = m_end;
            const std::string_view text(m_at, static_cast<std::size_t>(nul - m_at));
            m_at = nul < m_end ? nul + 1 : m_end;
            return text;
        }

    private:
        const char* m_at;
        const char* m_end;
    };
    Reader reader() const { return Reader(m_bytes); }

private:
    std::string m_bytes;
};

// What a streamed part's elements and text go to.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void start(std::string_view name, const char** attributes) = 0;
    virtual void end(std::string_view name) = 0;
    virtual void text(std::string_view data) = 0;
};

// The texts of <sst>: one per <si>, its <t>s (directly or in runs), phonetic guides
// left out.
class SharedStrings final : public XmlHandler {
public:
    void start(std::string_view name, const char**) override {
        if (name == "si") {
            m_inItem = true;
            m_item.clear();
        } else if (name == "rPh") {
            ++m_phonetic;
        } else if (name == "t" && m_inItem && m_phonetic == 0) {
            m_inText = true;
        }
    }
    void end(std::string_view name) override {
        if (name == "t") {
            m_inText = false;
        } else if (name == "rPh") {
            --m_phonetic;
        } else if (name == "si" && m_inItem) {
            m_block.append(unescapeOoxml(std::move(m_item)));
            ++m_count;
            m_item.clear();
            m_inItem = false;
        }
    }
    void text(std::string_view data) override {
        if (m_inText)
            m_item.append(data);
    }

    // After the part is read: the texts as CP949, by number.
    void finish() {
        m_block.toCp949();
        m_starts.reserve(m_count + 1);
        TextBlock::Reader r = m_block.reader();
        for (std::size_t i = 0; i < m_count; ++i)
            m_starts.push_back(static_cast<std::size_t>(r.next().data() - m_block.data()));
        m_starts.push_back(m_block.size());
    }
    std::size_t size() const { return m_count; }
    std::string_view at(std::size_t i) const {
        return std::string_view(m_block.data() + m_starts[i], m_starts[i + 1] - m_starts[i] - 1);
    }

private:
    TextBlock m_block;
    std::size_t m_count = 0;
    std::vector<std::size_t> m_starts; // where each text begins, and one past the last NUL
    std::string m_item;
    bool m_inItem = false;
    bool m_inText = false;
    int m_phonetic = 0;
};

// The cells of <sheetData> as they stream past. Rows and cells without a reference
// follow the one before; a row or cell whose reference lies past the sheet's end is
// dropped with everything in it. Cells are kept compactly until the shared strings
// are there too.
class SheetCells final : public XmlHandler {
public:
    SheetCells(const std::vector<celltext::DateParts>& xfDate, bool date1904)
        : m_xfDate(xfDate), m_date1904(date1904) {}

    void start(std::string_view name, const char** attributes) override {
        if (name == "sheetData") {
            m_inData = true;
        } else if (!m_inData) {
            return;
        } else if (name == "row") {
            startRow(attributes);
        } else if (name == "c") {
            startCell(attributes);
        } else if (!m_inCell) {
            return;
        } else if (name == "v") {
            m_hasValue = true;
            m_inText = true;
        } else if (name == "is") {
            m_inline = true;
        } else if (name == "rPh") {
            ++m_phonetic;
        } else if (name == "t" && m_inline && m_phonetic == 0) {
            m_inText = true;
        }
    }

    void end(std::string_view name) override {
        if (name == "sheetData") {
            m_inData = false;
        } else if (name == "c" && m_inCell) {
            endCell();
        } else if (name == "v" || name == "t") {
            m_inText = false;
        } else if (name == "rPh") {
            --m_phonetic;
        } else if (name == "row") {
            m_inRow = false;
        }
    }

    void text(std::string_view data) override {
        if (m_inText && m_keep)
            m_value.append(data);
    }

    // Hands every cell that holds something to the sink, in file order.
    void finish(const SharedStrings& strings, WorkbookReader::CellSink& sink) {
        m_texts.toCp949();
        std::size_t bytes = m_texts.size();
        m_items.forEach([&](const Item& item) {
            if (item.sharedString != kOwnText && item.sharedString < strings.size())
                bytes += strings.at(item.sharedString).size();
        });
        sink.reserve(m_items.size(), bytes);
        TextBlock::Reader own = m_texts.reader();
        m_items.forEach([&](const Item& item) {
            std::string_view text;
            if (item.sharedString == kOwnText)
                text = own.next();
            else if (item.sharedString < strings.size())
                text = strings.at(item.sharedString);
            if (!text.empty())
                sink.cell(item.row, item.column, text);
        });
    }

private:
    static constexpr std::uint32_t kOwnText = 0xFFFFFFFF;
    struct Item {
        std::int32_t row;
        std::int32_t column;
        std::uint32_t sharedString; // kOwnText: the next text of m_texts
    };

    void startRow(const char** attributes) {
        m_inRow = true;
        m_column = -1;
        const char* r = attributeOf(attributes, "r");
        const long long number = r ? parseRowNumber(r) : 0;
        if (number > kMaxSheetRows)
            m_row = kMaxSheetRows; // so the rows after it are past the end too
        else if (number > 0)
            m_row = static_cast<int>(number - 1);
        else if (m_row < kMaxSheetRows)
            ++m_row;
        m_rowKept = m_row < kMaxSheetRows;
    }

    void startCell(const char** attributes) {
        m_inCell = true;
        m_hasValue = m_inline = m_inText = false;
        m_phonetic = 0;
        m_value.clear();
        m_cellRow = m_row;
        m_cellColumn = m_column + 1;
        m_keep = m_inRow && m_rowKept;
        m_type.clear();
        m_style = 0;
        for (const char** a = attributes; *a; a += 2) {
            const std::string_view name = localName(a[0]);
            if (name == "r") {
                int row = 0, column = 0;
                switch (parseReference(a[1], row, column)) {
                case Reference::Ok:
                    m_cellRow = row;
                    m_cellColumn = column;
                    break;
                case Reference::OutOfSheet:
                    m_keep = false;
                    break;
                case Reference::Malformed:
                    break;
                }
            } else if (name == "t") {
                m_type = a[1];
            } else if (name == "s") {
                m_style = std::strtoll(a[1], nullptr, 10);
            }
        }
        m_column = m_cellColumn;
        if (m_cellColumn >= kMaxSheetColumns || m_cellRow >= kMaxSheetRows)
            m_keep = false;
    }

    void endCell() {
        m_inCell = false;
        if (!m_keep)
            return;
        if (m_type == "inlineStr") {
            if (m_inline)
                ownText(unescapeOoxml(std::move(m_value)));
        } else if (!m_hasValue) {
        } else if (m_type == "s") {
            std::uint32_t i = kOwnText;
            const auto r = std::from_chars(m_value.data(), m_value.data() + m_value.size(), i);
            if (r.ec == std::errc() && i != kOwnText)
                m_items.push_back({m_cellRow, m_cellColumn, i});
        } else if (m_type == "str" || m_type == "e") {
            ownText(unescapeOoxml(std::move(m_value)));
        } else if (m_type == "b") {
            ownText(m_value == "1" ? "TRUE" : "FALSE");
        } else if (m_type == "d") {
            std::string text = std::move(m_value);
            if (text.size() > 10 && text[10] == 'T')
                text[10] = ' ';
            if (text.size() > 19)
                text.resize(19);
            if (text.size() == 19 && text.compare(10, 9, " 00:00:00") == 0)
                text.resize(10);
            ownText(text);
        } else {
            double value = 0;
            const auto parsed = std::from_chars(m_value.data(), m_value.data() + m_value.size(), value);
            if (parsed.ec != std::errc() || parsed.ptr != m_value.data() + m_value.size()) {
                ownText(m_value);
            } else {
                const celltext::DateParts parts =
                    m_style >= 0 && m_style < static_cast<long long>(m_xfDate.size())
                        ? m_xfDate[static_cast<std::size_t>(m_style)]
                        : celltext::DateParts::None;
                ownText(parts == celltext::DateParts::None ? celltext::number(value)
                                                           : celltext::serialDate(value, parts, m_date1904));
            }
        }
    }

    void ownText(std::string_view text) {
        if (text.empty())
            return;
        m_texts.append(text);
        m_items.push_back({m_cellRow, m_cellColumn, kOwnText});
    }

    const std::vector<celltext::DateParts>& m_xfDate;
    bool m_date1904;
    Chunks<Item> m_items;
    TextBlock m_texts;

    bool m_inData = false, m_inRow = false, m_rowKept = false, m_inCell = false;
    int m_row = -1, m_column = -1;
    int m_cellRow = 0, m_cellColumn = 0;
    bool m_keep = false, m_hasValue = false, m_inline = false, m_inText = false;
    int m_phonetic = 0;
    std::string m_type;
    long long m_style = 0;
    std::string m_value;
};

// A zip archive over bytes someone else keeps.
class Archive {
public:
    explicit Archive(const std::string& bytes) {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
        if (src) {
            m_zip = zip_open_from_source(src, ZIP_RDONLY, &error);
            if (!m_zip)
                zip_source_free(src);
        }
        zip_error_fini(&error);
    }
    ~Archive() {
        if (m_zip)
            zip_discard(m_zip);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool isOpen() const { return m_zip != nullptr; }

    bool has(const std::string& name) const {
        return zip_name_locate(m_zip, entry(name), ZIP_FL_NOCASE) >= 0;
    }

    zip_file_t* open(const std::string& name, zip_uint64_t* size) const {
        const zip_int64_t index = zip_name_locate(m_zip, entry(name), ZIP_FL_NOCASE);
        if (index < 0)
            return nullptr;
        zip_stat_t st;
        if (zip_stat_index(m_zip, static_cast<zip_uint64_t>(index), 0, &st) != 0)
            return nullptr;
        if (size)
            *size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        return zip_fopen_index(m_zip, static_cast<zip_uint64_t>(index), 0);
    }

    bool read(const std::string& name, std::string& out) const {
        zip_uint64_t size = 0;
        zip_file_t* f = open(name, &size);
        if (!f)
            return false;
        out.clear();
        // The size is what the archive claims; reserve no more than a plausible part.
        out.reserve(static_cast<std::size_t>(std::min<zip_uint64_t>(size, zip_uint64_t{1} << 24)));
        char buf[1 << 16];
        bool ok = true;
        while (true) {
            const zip_int64_t n = zip_fread(f, buf, sizeof buf);
            if (n < 0 || out.size() + static_cast<std::size_t>(n) > kMaxPartBytes) {
                ok = false;
                break;
            }
            if (n == 0)
                break;
            out.append(buf, static_cast<std::size_t>(n));
        }
        zip_fclose(f);
        return ok;
    }

    bool stream(const std::string& name, XmlHandler& handler) const {
        zip_file_t* f = open(name, nullptr);
        if (!f)
            return false;
        XML_Parser parser = XML_ParserCreate(nullptr);
        if (!parser) {
            zip_fclose(f);
            return false;
        }
        XML_SetUserData(parser, &handler);
        XML_SetElementHandler(
            parser,
            [](void* h, const XML_Char* element, const XML_Char** attributes) {
                static_cast<XmlHandler*>(h)->start(localName(element), attributes);
            },
            [](void* h, const XML_Char* element) { static_cast<XmlHandler*>(h)->end(localName(element)); });
        XML_SetCharacterDataHandler(parser, [](void* h, const XML_Char* data, int length) {
            static_cast<XmlHandler*>(h)->text(std::string_view(data, static_cast<std::size_t>(length)));
        });
        constexpr int kChunk = 1 << 16;
        bool ok = true;
        while (ok) {
            void* buf = XML_GetBuffer(parser, kChunk);
            const zip_int64_t n = buf ? zip_fread(f, buf, kChunk) : -1;
            if (n < 0) {
                ok = false;
                break;
            }
            ok = XML_ParseBuffer(parser, static_cast<int>(n), n == 0) == XML_STATUS_OK;
            if (n == 0)
                break;
        }
        XML_ParserFree(parser);
        zip_fclose(f);
        return ok;
    }

private:
    // Part names in relationships may start with the package root.
    static const char* entry(const std::string& name) {
        return name.c_str() + (name.rfind('/', 0) == 0 ? 1 : 0);
    }

    zip_t* m_zip = nullptr;
};

class XlsxReader final : public WorkbookReader {
public:
    explicit XlsxReader(std::string bytes) : m_bytes(std::move(bytes)), m_zip(m_bytes) {}

    bool open();
    const std::vector<std::string>& sheetNames() const override { return m_names; }
    bool readSheet(int index, CellSink& sink) override;

private:
    bool loadXml(const std::string& name, pugi::xml_document& doc) const;
    std::map<std::string, std::string> relationships(const std::string& partName) const;
    static std::string resolve(const std::string& base, const std::string& target);

    std::string m_bytes;
    Archive m_zip;
    std::vector<std::string> m_names;
    std::vector<std::string> m_sheetParts;
    std::string m_sharedStringsPart;
    std::vector<celltext::DateParts> m_xfDate; // per cellXfs index
    bool m_date1904 = false;
};

bool XlsxReader::loadXml(const std::string& name, pugi::xml_document& doc) const {
    std::string content;
    if (!m_zip.read(name, content))
        return false;
    // Whitespace-only text (a cell holding " ") is data.
    return static_cast<bool>(
        doc.load_buffer(content.data(), content.size(), pugi::parse_default | pugi::parse_ws_pcdata_single));
}

std::string XlsxReader::resolve(const std::string& base, const std::string& target) {
    if (!target.empty() && target[0] == '/')
        return target.substr(1);
    std::string dir = base.substr(0, base.find_last_of('/') + 1);
    std::string t = target;
    while (t.rfind("../", 0) == 0) {
        t.erase(0, 3);
        if (!dir.empty())
            dir.pop_back();
        dir = dir.substr(0, dir.find_last_of('/') + 1);
    }
    return dir + t;
}

std::map<std::string, std::string> XlsxReader::relationships(const std::string& partName) const {
    std::map<std::string, std::string> rels;
    const std::size_t slash = partName.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : partName.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? partName : partName.substr(slash + 1);
    pugi::xml_document doc;
    if (!loadXml(dir + "_rels/" + file + ".rels", doc))
        return rels;
    forEachChild(child(doc, "Relationships"), "Relationship", [&](pugi::xml_node r) {
        rels[r.attribute("Id").as_string()] = resolve(partName, r.attribute("Target").as_string());
        const std::string type = r.attribute("Type").as_string();
        if (type.size() >= 14 && type.compare(type.size() - 14, 14, "/sharedStrings") == 0)
            rels["#sharedStrings"] = resolve(partName, r.attribute("Target").as_string());
        if (type.size() >= 7 && type.compare(type.size() - 7, 7, "/styles") == 0)
            rels["#styles"] = resolve(partName, r.attribute("Target").as_string());
    });
    return rels;
}

bool XlsxReader::open() {
    if (!m_zip.isOpen())
        return false;

    std::string workbookPart = "xl/workbook.xml";
    {
        pugi::xml_document doc;
        if (loadXml("_rels/.rels", doc))
            forEachChild(child(doc, "Relationships"), "Relationship", [&](pugi::xml_node r) {
                const std::string type = r.attribute("Type").as_string();
                if (type.size() >= 15 && type.compare(type.size() - 15, 15, "/officeDocument") == 0)
                    workbookPart = resolve("", r.attribute("Target").as_string());
            });
    }
    pugi::xml_document workbook;
    if (!loadXml(workbookPart, workbook))
        return false;
    const pugi::xml_node wb = child(workbook, "workbook");
    if (!wb)
        return false;
    const std::string date1904 = attribute(child(wb, "workbookPr"), "date1904").as_string();
    m_date1904 = date1904 == "1" || date1904 == "true";

    auto rels = relationships(workbookPart);
    forEachChild(child(wb, "sheets"), "sheet", [&](pugi::xml_node s) {
        m_names.push_back(cp949::fromUtf8(s.attribute("name").as_string()).text);
        const auto it = rels.find(attribute(s, "id").as_string());
        m_sheetParts.push_back(it == rels.end() ? std::string() : it->second);
    });
    if (m_names.empty())
        return false;
    m_sharedStringsPart = rels.count("#sharedStrings") ? rels["#sharedStrings"] : "xl/sharedStrings.xml";

    const std::string stylesPart = rels.count("#styles") ? rels["#styles"] : "xl/styles.xml";
    pugi::xml_document styles;
    if (loadXml(stylesPart, styles)) {
        const pugi::xml_node sheet = child(styles, "styleSheet");
        std::map<int, celltext::DateParts> custom;
        forEachChild(child(sheet, "numFmts"), "numFmt", [&](pugi::xml_node f) {
            custom[f.attribute("numFmtId").as_int(-1)] =
                celltext::datePartsOfFormat(f.attribute("formatCode").as_string());
        });
        forEachChild(child(sheet, "cellXfs"), "xf", [&](pugi::xml_node xf) {
            const int id = xf.attribute("numFmtId").as_int(0);
            const auto it = custom.find(id);
            m_xfDate.push_back(it != custom.end() ? it->second : celltext::datePartsOfBuiltinFormat(id));
        });
    }
    return true;
}

bool XlsxReader::readSheet(int index, CellSink& sink) {
    if (index < 0 || index >= static_cast<int>(m_sheetParts.size()))
        return false;
    const std::string& part = m_sheetParts[static_cast<std::size_t>(index)];
    if (part.empty())
        return false;
    // A workbook without text has no shared strings; a broken part is a broken workbook.
    // The second reader has its own archive: one zip handle is not for two threads.
    SharedStrings strings;
    std::future<bool> stringsRead;
    if (m_zip.has(m_sharedStringsPart))
        stringsRead = std::async(std::launch::async, [&] {
            const Archive zip(m_bytes);
            if (!zip.stream(m_sharedStringsPart, strings))
                return false;
            strings.finish();
            return true;
        });
    // A chart or dialog sheet has no sheetData, so no cells.
    SheetCells cells(m_xfDate, m_date1904);
    const bool sheetRead = m_zip.stream(part, cells);
    if (stringsRead.valid() && !stringsRead.get())
        return false;
    if (!sheetRead)
        return false;
    cells.finish(strings, sink);
    return true;
}

} // namespace

std::unique_ptr<WorkbookReader> openXlsx(std::string bytes) {
    auto reader = std::make_unique<XlsxReader>(std::move(bytes));
    if (!reader->open())
        return nullptr;
    return reader;
}

} // namespace qb
