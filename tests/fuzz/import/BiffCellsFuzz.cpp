// Our own readers of .xls records (compound file, BIFF8), in-process where the
// sanitizers watch it; the libfreexl side runs in a child in fuzz_xls_reader.
#include "import/BiffCells.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (int sheet = 0; sheet < 4; ++sheet)
        qb::readBiffExtraCells(bytes, sheet, [](int row, int column, std::string text) {
            if (row < 0 || column < 0 || text.size() > 3 * 65535)
                std::abort();
        });
    std::vector<std::string> names;
    for (int sheet = -1; sheet < 4; ++sheet)
        qb::readBiffWorkbook(bytes, names, sheet, [](int row, int column, std::string text) {
            if (row < 0 || column < 0 || text.size() > 4 * 65535)
                std::abort();
        });
    return 0;
}
