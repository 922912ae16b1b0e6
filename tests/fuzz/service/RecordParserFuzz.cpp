// A send connection's byte stream as the stand-in service reads it: cut into
// reads of fuzzed sizes and checked against a job of the fuzzed kind.
#include "RecordParser.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void check(bool ok) {
    if (!ok)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    // Byte 0: the kind; byte 1: how many of the next bytes are read sizes.
    const auto kind = static_cast<qb::MessageKind>(static_cast<unsigned char>(all[0]) % 3);
    const std::size_t cutCount = std::min<std::size_t>(static_cast<unsigned char>(all[1]) % 16, size - 2);
    const std::string_view cuts = all.substr(2, cutCount);
    std::string_view stream = all.substr(2 + cutCount);

    qbs::RecordContext c;
    c.kind = kind;
    c.userId = "user01";
    c.userNumber = "123456789";
    c.userTag = "TAG-01";
    c.sendCode = "SMS";
    c.sendTime = "2016-09-10 09:05:07";
    c.sendTag = "42";
    qbs::RecordParser parser(c);
    qbs::RecordParser again(c);

    std::size_t cut = 0;
    while (!stream.empty()) {
        const std::size_t n = std::min<std::size_t>(
            stream.size(), cut < cuts.size() ? 1 + static_cast<unsigned char>(cuts[cut++]) * 64 : 65536);
        parser.append(stream.substr(0, n));
        stream.remove_prefix(n);
        while (auto r = parser.next()) {
            check(r->record.has_value() == r->error.empty());
            if (!r->record)
                continue;
            const qbs::ReceivedRecord& rec = *r->record;
            check(rec.raw.size() <= qbs::RecordParser::kMaxRecordBytes && rec.raw.back() == '\x02');
            check(rec.number.size() >= 8 && rec.number.size() <= 15 && !rec.callback.empty());
            // What was taken reads the same a second time.
            const qbs::RecordParser::Result second =
                again.parse(std::string_view(rec.raw).substr(0, rec.raw.size() - 1));
            check(second.record && second.record->raw == rec.raw);
        }
        // Nothing piles up: at most one unfinished record is kept.
        check(parser.pendingBytes() <= qbs::RecordParser::kMaxRecordBytes);
    }
    return 0;
}
