// An .xls file through ExcelAutomation: the isolated libfreexl reads and what comes
// back from them (libfreexl reads from a path, so the input goes through an
// in-memory file).
#include "import/ExcelAutomation.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = memfd_create("fuzz.xls", 0);
    if (fd < 0)
        return 0;
    if (write(fd, data, size) != static_cast<ssize_t>(size)) {
        close(fd);
        return 0;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    qb::ExcelAutomation excel;
    if (excel.open(path) == 0) {
        for (int sheet = 1; sheet <= excel.sheetCount() && sheet <= 8; ++sheet) {
            qb::UsedRange range;
            if (excel.usedRange(sheet, range) && (range.rows < 1 || range.columns < 1))
                std::abort();
        }
    }
    excel.quit();
    close(fd);
    return 0;
}
