#include "compose/ui/PictureReader.h"

#include <QBuffer>
#include <QImageReader>

namespace qb {
namespace {

PictureStatus decodeInto(std::string_view bytes, QImage& image) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size(); // from the frame header; nothing decoded yet
    if (!size.isValid())
        return PictureStatus::Damaged;
    // The allocation limit, checked here rather than through Qt's process-wide
    // one: four bytes a pixel, as the decoded image takes.
    if (static_cast<long long>(size.width()) * size.height() * 4 >
        static_cast<long long>(PictureReader::kAllocationLimitMb) * 1024 * 1024)
        return PictureStatus::TooLarge;
    if (!reader.read(&image) || image.isNull())
        return PictureStatus::Damaged;
    return PictureStatus::Ok;
}

class OneShot : public PictureDecoder {
public:
    PictureInfo decode(const std::string&, std::string_view bytes) override {
        const PictureStatus status = decodeInto(bytes, image);
        if (status != PictureStatus::Ok)
            return {status};
        return {status, image.width(), image.height()};
    }
    QImage image;
};

} // namespace

PictureReader::Read PictureReader::read(const std::string& path) {
    OneShot decoder;
    const PictureInfo info = loadPicture(path, decoder);
    if (info.status != PictureStatus::Ok)
        return {info.status, {}};
    return {PictureStatus::Ok, decoder.image};
}

PictureInfo PictureReader::decode(const std::string& path, std::string_view bytes) {
    QImage image;
    const PictureStatus status = decodeInto(bytes, image);
    if (status != PictureStatus::Ok)
        return {status};
    m_images[path] = image;
    return {status, image.width(), image.height()};
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
