#pragma once

#include "common/SendTypes.h"
#include "compose/PictureFile.h"

#include <QImage>

#include <map>
#include <string>

// Decodes MMS pictures with QImageReader under an allocation limit, after the
// checks of loadPicture: a file that claims more pixels than the limit allows is
// refused before any memory is taken for it. Keeps what it decoded for the
// controls that show it, until told which pictures are still wanted.
namespace qb {

class PictureReader : public PictureDecoder {
public:
    // Enough for a 16-megapixel photo at four bytes a pixel.
    static constexpr int kAllocationLimitMb = 64;

    struct Read {
        PictureStatus status = PictureStatus::Missing;
        QImage image;
    };
    // A picture for showing (the message box, the viewer): every check, then the decoder.
    static Read read(const std::string& path);

    PictureInfo decode(const std::string& path, std::string_view bytes) override;
    // What decode() gave for this path; decoded afresh when it was not kept.
    QImage image(const std::string& path);
    // Drops every kept picture but those in the slots.
    void keepOnly(const PictureSlots& wanted);

private:
    std::map<std::string, QImage> m_images;
};

} // namespace qb
