// A send job journal read back after a crash: any bytes are refused with a
// reason or give a queue whose every record decodes. The same bytes as the
// service's status document: the resume plan always adds up to the job.
#include "send/JournalFormat.h"
#include "send/ResumePlan.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes = "QBJOURNAL1\n";
    bytes.append(reinterpret_cast<const char*>(data), size);
    for (const std::string& input : {bytes, std::string(reinterpret_cast<const char*>(data), size)}) {
        const qb::JournalContents c = qb::parseJournal(input);
        for (std::size_t i = 0; i < c.queue.size(); ++i)
            (void)c.queue.at(i);
        const qb::ResumePlan p = qb::planResume(c, qb::parseSendStatus(input));
        if (p.sure < 0 || p.uncertain < 0 || p.left < 0 || p.sure + p.uncertain + p.left != p.total)
            std::abort();
    }
    return 0;
}
