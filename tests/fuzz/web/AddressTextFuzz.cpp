// A text file as the address book's import takes it: encoding guess, line
// pieces, then rows of exactly three comma-separated values.
#include "common/Progress.h"
#include "import/TextImport.h"
#include "web/AddressImport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qb::ImportLines lines;
    lines.appendFile(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<qb::AddressRow> rows;
    qb::NoProgress progress;
    qb::addressRowsFromLines(lines, rows, progress);
    if (rows.size() > lines.size())
        std::abort();
    for (const qb::AddressRow& r : rows)
        for (const std::string* v : {&r.name, &r.hpno, &r.etc})
            if (v->empty() || v->find(',') != std::string::npos || v->size() > qb::kImportLineBytes)
                std::abort();
    return 0;
}
