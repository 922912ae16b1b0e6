// CSV records and fields, and the encoding found for a file: the same records when
// the file comes in two parts, fields never longer than their record, and a file
// taken or refused whole.
#include "import/CsvRecords.h"
#include "import/TextImport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> recordsOf(const qb::ImportLines& lines) {
    std::vector<std::string> out;
    qb::ImportLines::Cursor cursor(lines);
    for (std::string_view record; cursor.next(record);)
        out.emplace_back(record);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const auto choice = static_cast<qb::TextEncoding>(data[0] % 4);
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    qb::ImportLines lines(true), parts(true);
    const qb::TextFileRead whole = lines.appendFile(text, choice);
    const std::size_t nl = text.find('\n', text.size() / 2);
    const std::size_t at = nl == std::string::npos ? text.size() : nl + 1;
    const qb::TextFileRead split = parts.appendFile(text.substr(0, at), text.substr(at), choice);
    // UTF-16 parts may split inside a character: joined first, so they agree too.
    if (whole.refusal != split.refusal || whole.unmappable != split.unmappable)
        std::abort();
    const std::vector<std::string> records = recordsOf(lines);
    if (records != recordsOf(parts) || records.size() != lines.size())
        std::abort();
    if (!whole.refusal.empty() && !lines.empty())
        std::abort();

    std::string scratch;
    for (const std::string& record : records) {
        if (record.size() > qb::kImportLineBytes)
            std::abort();
        std::size_t total = 0;
        const int count = qb::csv::forEachField(record, scratch, [&](std::string_view field) {
            total += field.size();
            if (field.size() > record.size())
                std::abort();
        });
        if (count < 0 || total > record.size() || (count == 0) != record.empty())
            std::abort();
    }
    // The reader on raw bytes: every record ends where the next begins.
    for (std::size_t pos = 0; pos < text.size();) {
        const qb::csv::Record r = qb::csv::next(text, pos);
        if (r.next <= pos || r.next > text.size())
            std::abort();
        pos = r.next;
    }
    return 0;
}
