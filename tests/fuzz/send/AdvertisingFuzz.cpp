// Any bytes as an advertising message: the scans stay inside the text, and "광고
// 문구 넣기" always leaves the marker first, the name and the refusal line.
#include "common/Cp949.h"
#include "compose/AdvertisingCheck.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size), name = qb::ko("홍길동상회");
    for (qb::TextSpan s = qb::findMarkerVariant(text); s.pos != std::string::npos;
         s = qb::findMarkerVariant(text, s.pos + s.size))
        if (s.size == 0 || s.pos + s.size > text.size())
            std::abort();
    qb::AdvertisingCheck check(qb::MessageKind::Mms, name, "080-123-4567"), after = check;
    check.check(text.substr(0, size / 3), text, 1);
    (void)check.report();
    after.check({}, qb::withAdvertisingText(text, name, "080-123-4567"), 1);
    using F = qb::AdvertisingCheck::Finding;
    if (after.rows(F::MarkerNotFirst) + after.rows(F::NameMissing) + after.rows(F::OptOutMissing) != 0)
        std::abort();
    return 0;
}
