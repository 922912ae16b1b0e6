#include "support/XlsxBuilder.h"

#include <stdexcept>
#include <zip.h>

namespace qb::test {

std::string xmlEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

namespace {

std::string write(const std::string& path, const std::vector<XlsxSheet>& sheets,
                  const std::vector<std::string>& sharedStrings, const std::string* sheetPart) {
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    std::vector<std::pair<std::string, std::string>> parts;

    std::string types = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                        "<Default Extension=\"rels\" "
                        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                        "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>";
    parts.emplace_back("[Content_Types].xml", types);
    parts.emplace_back("_rels/.rels", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                      "relationships\"><Relationship Id=\"rId1\" Type=\"" +
                                          rel +
                                          "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    std::string workbook = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<workbook xmlns=\"" + main +
                           "\" xmlns:r=\"" + rel + "\"><sheets>";
    std::string rels = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Relationships "
                       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        workbook +=
            "<sheet name=\"" + xmlEscape(sheets[i].name) + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + rel + "/worksheet\" Target=\"worksheets/sheet" +
                n + ".xml\"/>";
        parts.emplace_back("xl/worksheets/sheet" + n + ".xml",
                           sheetPart
                               ? *sheetPart
                               : "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<worksheet xmlns=\"" + main +
                                     "\"><sheetData>" + sheets[i].sheetData + "</sheetData></worksheet>");
    }
    workbook += "</sheets></workbook>";
    if (!sharedStrings.empty()) {
        rels += "<Relationship Id=\"rIdS\" Type=\"" + rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
        std::string sst = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sst xmlns=\"" + main + "\" count=\"" +
                          std::to_string(sharedStrings.size()) + "\">";
        for (const std::string& s : sharedStrings)
            sst += "<si><t xml:space=\"preserve\">" + xmlEscape(s) + "</t></si>";
        sst += "</sst>";
        parts.emplace_back("xl/sharedStrings.xml", std::move(sst));
    }
    rels += "</Relationships>";
    parts.emplace_back("xl/workbook.xml", std::move(workbook));
    parts.emplace_back("xl/_rels/workbook.xml.rels", std::move(rels));

    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        throw std::runtime_error("cannot create " + path);
    for (const auto& [name, content] : parts) {
        zip_source_t* src = zip_source_buffer(zip, content.data(), content.size(), 0);
        if (!src || zip_file_add(zip, name.c_str(), src, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(src);
            zip_discard(zip);
            throw std::runtime_error("cannot add " + name);
        }
    }
    if (zip_close(zip) != 0) {
        zip_discard(zip);
        throw std::runtime_error("cannot write " + path);
    }
    return path;
}

} // namespace

std::string writeXlsx(const std::string& path, const std::vector<XlsxSheet>& sheets,
                      const std::vector<std::string>& sharedStrings) {
    return write(path, sheets, sharedStrings, nullptr);
}

std::string writeXlsxSheetPart(const std::string& path, const std::string& sheetPart) {
    return write(path, {{"S", ""}}, {}, &sheetPart);
}

} // namespace qb::test
