#include "common/Cp949.h"
#include "import/CellText.h"
#include "import/WorkbookReader.h"
#include "import/XlsxSheetCells.h"
#include "import/XlsxZip.h"
#include "import/XmlScanner.h"

#include <atomic>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <type_traits>

// The small parts (relationships, the workbook, styles) are read whole with pugixml.
// Shared strings and sheets can be hundreds of megabytes of XML even in a small file
// (a sheet of millions of empty cells compresses to almost nothing), so they are
// streamed straight from the zip entry: memory follows the cells that hold
// something, not the size of the XML. The shared strings are read on a second
// core while the sheet is read; texts are gathered in blocks and converted to CP949
// a block at a time.

namespace qb {
namespace {

using xlsx::Archive;
using xlsx::EntryReader;
using xlsx::InflatePipe;
using xlsx::localName;
using xlsx::PlainXml;
using xlsx::readBlocks;
using xlsx::readWithExpat;
using xlsx::SharedStrings;
using xlsx::SheetCells;
using xlsx::XmlHandler;

std::atomic<std::size_t> partsReadAgain{0};

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

// Reads a part through the handler fresh() makes: quickly, and when the quick
// reader gives up, again from the start through a new one with expat. `ahead`:
// inflate on another thread.
template <typename Fresh>
bool streamPart(const Archive& zip, const std::string& name, Fresh&& fresh, bool ahead) {
    EntryReader f(zip, name);
    if (!f.isOpen())
        return false;
    bool accepted = true, whole = true;
    {
        PlainXml<std::remove_reference_t<decltype(fresh())>> xml(fresh());
        whole = readBlocks(f, ahead, [&](char* data, std::size_t n) {
            return accepted = xml.parseInPlace(data, n, InflatePipe::kRoom);
        });
        if (accepted && whole)
            accepted = xml.parse(true);
    }
    if (!whole)
        return false;
    if (accepted)
        return true;
    partsReadAgain.fetch_add(1, std::memory_order_relaxed);
    XmlHandler& handler = fresh();
    EntryReader again(zip, name, false);
    return again.isOpen() &&
           readWithExpat(handler, [&](char* buf, std::size_t n) { return again.read(buf, n); });
}

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
    std::optional<SharedStrings> strings;
    std::future<bool> stringsRead;
    if (m_zip.has(m_sharedStringsPart))
        stringsRead = std::async(std::launch::async, [&] {
            const Archive zip(m_bytes);
            if (!streamPart(
                    zip, m_sharedStringsPart, [&]() -> SharedStrings& { return strings.emplace(); }, false))
                return false;
            strings->finish();
            return true;
        });
    // A chart or dialog sheet has no sheetData, so no cells.
    std::optional<SheetCells> cells;
    const bool sheetRead = streamPart(
        m_zip, part, [&]() -> SheetCells& { return cells.emplace(m_xfDate, m_date1904); }, true);
    if (stringsRead.valid() && !stringsRead.get())
        return false;
    if (!sheetRead)
        return false;
    if (!strings)
        strings.emplace();
    cells->finish(*strings, sink);
    return true;
}

} // namespace

std::size_t xlsxPartsReadAgain() {
    return partsReadAgain.load(std::memory_order_relaxed);
}

std::unique_ptr<WorkbookReader> openXlsx(std::string bytes) {
    auto reader = std::make_unique<XlsxReader>(std::move(bytes));
    if (!reader->open())
        return nullptr;
    return reader;
}

} // namespace qb
