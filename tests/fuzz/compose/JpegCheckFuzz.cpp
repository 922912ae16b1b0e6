// Picture files come from anywhere the user points; their markers are walked
// before any decoder sees them.
#include "compose/JpegCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const qb::JpegInfo info = qb::checkJpeg(std::string_view(reinterpret_cast<const char*>(data), size));
    if (info.status == qb::JpegStatus::Complete && (info.width < 1 || info.height < 1))
        std::abort();
    if (info.status != qb::JpegStatus::Complete && (info.width != 0 || info.height != 0))
        std::abort();
    return 0;
}
