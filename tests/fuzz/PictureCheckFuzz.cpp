// Picture files come from anywhere the user points and from the service: libjpeg
// reads them under our limits, and whatever it is given ends in a status.
#include "common/PictureCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    qb::PicturePixels pixels;
    const qb::PictureInfo info = qb::checkPictureBytes(bytes, &pixels);
    if (info.status == qb::PictureStatus::Ok) {
        if (info.width < 1 || info.height < 1 ||
            static_cast<long long>(info.width) * info.height > qb::kMaxPicturePixels)
            std::abort();
        if (pixels.width != info.width || pixels.height != info.height ||
            pixels.rgb.size() !=
                static_cast<std::size_t>(info.width) * static_cast<std::size_t>(info.height) * 3)
            std::abort();
        if (info.fingerprint.bytes != size || info.fingerprint.sha256.size() != 32)
            std::abort();
    } else if (info.width != 0 || info.height != 0 || !pixels.rgb.empty() || info.fingerprint.bytes != 0) {
        std::abort();
    }
    // Without pixels the judgement is the same.
    if (qb::checkPictureBytes(bytes).status != info.status)
        std::abort();
    return 0;
}
