#include "send/CellText.h"
#include "send/WorkbookReader.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <map>
#include <pugixml.hpp>
#include <zip.h>

namespace qb {
namespace {

// A sheet of a million rows is a few hundred megabytes of XML; anything claiming
// more is not a workbook we can hold.
constexpr zip_uint64_t kMaxPartBytes = zip_uint64_t{1} << 30;

std::string_view localName(const char* name) {
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
                // encode v as UTF-8 (a BMP code point)
                if (v < 0x80) {
                    out.push_back(static_cast<char>(v));
                } else if (v < 0x800) {
                    out.push_back(static_cast<char>(0xC0 | (v >> 6)));
                    out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
                } else {
                    out.push_back(static_cast<char>(0xE0 | (v >> 12)));
                    out.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
                    out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
                }
                i += 6;
                continue;
            }
        }
        out.push_back(s[i]);
    }
    return out;
}

// The text of a string item: <t> directly, or the runs' <t>s; phonetic guides left out.
void collectText(pugi::xml_node node, std::string& out) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element)
            continue;
        const std::string_view n = localName(c.name());
        if (n == "t")
            out += c.text().get();
        else if (n == "r")
            collectText(c, out);
    }
}

std::string stringItem(pugi::xml_node node) {
    std::string s;
    collectText(node, s);
    return unescapeOoxml(std::move(s));
}

// "C5" -> row 4, column 2 (from 0). False for anything else.
bool parseReference(std::string_view ref, int& row, int& column) {
    std::size_t i = 0;
    long col = 0;
    while (i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && i < 4)
        col = col * 26 + (ref[i++] - 'A' + 1);
    if (i == 0 || i == ref.size())
        return false;
    long r = 0;
    for (; i < ref.size(); ++i) {
        if (ref[i] < '0' || ref[i] > '9' || r > kMaxSheetRows)
            return false;
        r = r * 10 + (ref[i] - '0');
    }
    if (r < 1 || r > kMaxSheetRows || col > kMaxSheetColumns)
        return false;
    row = static_cast<int>(r - 1);
    column = static_cast<int>(col - 1);
    return true;
}

class XlsxReader final : public WorkbookReader {
public:
    explicit XlsxReader(std::string bytes) : m_bytes(std::move(bytes)) {}
    ~XlsxReader() override {
        if (m_zip)
            zip_discard(m_zip);
    }

    bool open();
    const std::vector<std::string>& sheetNames() const override { return m_names; }
    bool readSheet(int index, const CellSink& sink) override;

private:
    bool readPart(std::string name, std::string& out) const;
    bool loadXml(const std::string& name, pugi::xml_document& doc) const;
    std::map<std::string, std::string> relationships(const std::string& partName) const;
    static std::string resolve(const std::string& base, const std::string& target);

    std::string m_bytes;
    zip_t* m_zip = nullptr;
    std::vector<std::string> m_names;
    std::vector<std::string> m_sheetParts;
    std::vector<std::string> m_strings;
    std::vector<celltext::DateParts> m_xfDate; // per cellXfs index
    bool m_date1904 = false;
};

bool XlsxReader::readPart(std::string name, std::string& out) const {
    if (!name.empty() && name[0] == '/')
        name.erase(0, 1);
    const zip_int64_t index = zip_name_locate(m_zip, name.c_str(), ZIP_FL_NOCASE);
    if (index < 0)
        return false;
    zip_stat_t st;
    if (zip_stat_index(m_zip, static_cast<zip_uint64_t>(index), 0, &st) != 0)
        return false;
    zip_file_t* f = zip_fopen_index(m_zip, static_cast<zip_uint64_t>(index), 0);
    if (!f)
        return false;
    out.clear();
    // The size is what the archive claims; reserve no more than a plausible part.
    if (st.valid & ZIP_STAT_SIZE)
        out.reserve(static_cast<std::size_t>(std::min<zip_uint64_t>(st.size, zip_uint64_t{1} << 26)));
    char buf[1 << 16];
    bool ok = true;
    while (true) {
        const zip_int64_t n = zip_fread(f, buf, sizeof buf);
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        if (out.size() + static_cast<std::size_t>(n) > kMaxPartBytes) {
            ok = false;
            break;
        }
        out.append(buf, static_cast<std::size_t>(n));
    }
    zip_fclose(f);
    return ok;
}

bool XlsxReader::loadXml(const std::string& name, pugi::xml_document& doc) const {
    std::string content;
    if (!readPart(name, content))
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
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(m_bytes.data(), m_bytes.size(), 0, &error);
    if (!src) {
        zip_error_fini(&error);
        return false;
    }
    m_zip = zip_open_from_source(src, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!m_zip) {
        zip_source_free(src);
        return false;
    }

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
        m_names.emplace_back(s.attribute("name").as_string());
        const auto it = rels.find(attribute(s, "id").as_string());
        m_sheetParts.push_back(it == rels.end() ? std::string() : it->second);
    });
    if (m_names.empty())
        return false;

    const std::string sstPart =
        rels.count("#sharedStrings") ? rels["#sharedStrings"] : "xl/sharedStrings.xml";
    pugi::xml_document sst;
    if (loadXml(sstPart, sst))
        forEachChild(child(sst, "sst"), "si",
                     [&](pugi::xml_node si) { m_strings.push_back(stringItem(si)); });

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

bool XlsxReader::readSheet(int index, const CellSink& sink) {
    if (index < 0 || index >= static_cast<int>(m_sheetParts.size()))
        return false;
    pugi::xml_document doc;
    if (m_sheetParts[static_cast<std::size_t>(index)].empty() ||
        !loadXml(m_sheetParts[static_cast<std::size_t>(index)], doc))
        return false;
    const pugi::xml_node root = doc.first_child();
    if (localName(root.name()) == "chartsheet" || localName(root.name()) == "dialogsheet")
        return true; // no cells
    const pugi::xml_node data = child(root, "sheetData");
    int row = -1;
    for (pugi::xml_node r = data.first_child(); r; r = r.next_sibling()) {
        if (r.type() != pugi::node_element || localName(r.name()) != "row")
            continue;
        const long long rowAttr = r.attribute("r").as_llong(0);
        row = rowAttr >= 1 && rowAttr <= kMaxSheetRows ? static_cast<int>(rowAttr - 1) : row + 1;
        if (row >= kMaxSheetRows)
            break;
        int column = -1;
        for (pugi::xml_node c = r.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element || localName(c.name()) != "c")
                continue;
            int refRow = row, refColumn = column + 1;
            if (const pugi::xml_attribute ref = c.attribute("r"))
                if (!parseReference(ref.as_string(), refRow, refColumn))
                    refRow = row, refColumn = column + 1;
            column = refColumn;
            if (refColumn >= kMaxSheetColumns)
                continue;

            const std::string_view type = c.attribute("t").as_string();
            const pugi::xml_node v = child(c, "v");
            std::string text;
            if (type == "inlineStr") {
                text = stringItem(child(c, "is"));
            } else if (!v) {
                continue;
            } else if (type == "s") {
                const long long i = v.text().as_llong(-1);
                if (i >= 0 && i < static_cast<long long>(m_strings.size()))
                    text = m_strings[static_cast<std::size_t>(i)];
            } else if (type == "str" || type == "e") {
                text = unescapeOoxml(v.text().get());
            } else if (type == "b") {
                text = std::string_view(v.text().get()) == "1" ? "TRUE" : "FALSE";
            } else if (type == "d") {
                text = v.text().get();
                if (text.size() > 10 && text[10] == 'T')
                    text[10] = ' ';
                if (text.size() > 19)
                    text.resize(19);
                if (text.size() == 19 && text.compare(10, 9, " 00:00:00") == 0)
                    text.resize(10);
            } else {
                const char* raw = v.text().get();
                double value = 0;
                const auto parsed = std::from_chars(raw, raw + std::strlen(raw), value);
                if (parsed.ec != std::errc() || *parsed.ptr != '\0') {
                    text = raw;
                } else {
                    const long long s = c.attribute("s").as_llong(0);
                    const celltext::DateParts parts = s >= 0 && s < static_cast<long long>(m_xfDate.size())
                                                          ? m_xfDate[static_cast<std::size_t>(s)]
                                                          : celltext::DateParts::None;
                    text = parts == celltext::DateParts::None
                               ? celltext::number(value)
                               : celltext::serialDate(value, parts, m_date1904);
                }
            }
            if (!text.empty())
                sink(refRow, refColumn, std::move(text));
        }
    }
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
