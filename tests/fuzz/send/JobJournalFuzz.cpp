// A send job journal read back after a crash: any bytes are refused with a
// reason or give a queue whose every record decodes.
#include "send/JobJournal.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes = "QBJOURNAL1\n";
    bytes.append(reinterpret_cast<const char*>(data), size);
    for (const std::string& input : {bytes, std::string(reinterpret_cast<const char*>(data), size)}) {
        const qb::JournalContents c = qb::JobJournal::parse(input);
        for (std::size_t i = 0; i < c.queue.size(); ++i)
            (void)c.queue.at(i);
        (void)qb::planResume(c, {});
    }
    return 0;
}
