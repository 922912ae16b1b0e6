#include "compose/ui/PictureReader.h"

#include <cstring>

namespace qb {

QImage PictureReader::toImage(const PicturePixels& pixels) {
    QImage image(pixels.width, pixels.height, QImage::Format_RGB888);
    if (image.isNull())
        return image;
    const std::size_t row = static_cast<std::size_t>(pixels.width) * 3;
    for (int y = 0; y < pixels.height; ++y)
        std::memcpy(image.scanLine(y), pixels.rgb.data() + static_cast<std::size_t>(y) * row, row);
    return image;
}

PictureReader::Read PictureReader::read(const std::string& path) {
    PicturePixels pixels;
    const PictureInfo info = checkPicture(path, &pixels);
    if (info.status != PictureStatus::Ok)
        return {info.status, {}};
    return {PictureStatus::Ok, toImage(pixels)};
}

void PictureReader::keep(const std::string& path, PicturePixels pixels) {
    m_images[path] = toImage(pixels);
}

QImage PictureReader::image(const std::string& path) {
    if (const auto it = m_images.find(path); it != m_images.end())
        return it->second;
    Read r = read(path);
    if (r.status == PictureStatus::Ok)
        m_images[path] = r.image;
    return r.image;
}

void PictureReader::keepOnly(const PictureSlots& wanted) {
    for (auto it = m_images.begin(); it != m_images.end();) {
        bool keep = false;
        for (const PictureSlot& s : wanted)
            keep = keep || s.path == it->first;
        it = keep ? std::next(it) : m_images.erase(it);
    }
}

} // namespace qb
