// A text file as the import takes it: encoding guess, line pieces (the same when it
// comes in two parts), then the table in single-column or column mode, with the
// delimiter picked by the first byte; the first rows judged for a header row and a
// number column, and the header row taken or not as the first byte says.
#include "common/Notifier.h"
#include "import/RecipientTable.h"
#include "import/TextImport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
class Silent : public qb::Notifier {
public:
    void show(const std::string&, qb::MessageIcon, const std::string&) override {}
    bool ask(const std::string&, qb::MessageIcon, const std::string&) override { return false; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const char* const fields[] = {"", ",", "Tab", ",;", "|", "a"};
    const std::string field = fields[data[0] % 6];
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    qb::ImportLines lines, parts;
    lines.appendFile(text);
    // The same file in two parts, split after the first line break past the middle,
    // as a big file is read.
    const std::size_t nl = text.find('\n', text.size() / 2);
    const std::size_t at = nl == std::string::npos ? text.size() : nl + 1;
    parts.appendFile(text.substr(0, at), text.substr(at));
    const std::size_t count = lines.size();
    qb::ImportLines::Cursor cursor(lines), partsCursor(parts);
    std::string_view line, partsLine;
    std::size_t seen = 0;
    for (; cursor.next(line); ++seen)
        if (line.size() > qb::kImportLineBytes || !partsCursor.next(partsLine) || partsLine != line)
            std::abort();
    if (seen != count || parts.size() != count || partsCursor.next(partsLine))
        std::abort();
    qb::RecipientTable table;
    Silent notifier;
    int rows = 0;
    bool taken = false;
    const auto headerRow = [&](const qb::ColumnSample& sample) {
        taken = (data[0] / 6) % 2 == 1;
        const int column = qb::findNumberColumn(sample, qb::offerHeaderRow(sample) || taken);
        if (column < 0 || column > 10)
            std::abort();
        return taken;
    };
    if (qb::fillTableFromLines(table, lines, qb::delimiterSet(field), notifier, rows, headerRow)) {
        if (table.rowCount() != rows + 1 || static_cast<std::size_t>(rows) + (taken ? 1 : 0) != count)
            std::abort();
        for (int r = 0; r < table.rowCount(); ++r)
            for (int c = 0; c <= table.columnCount(); ++c)
                if (table.text(r, c).size() > qb::kImportLineBytes + 16)
                    std::abort();
    }
    return 0;
}
