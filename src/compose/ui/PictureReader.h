#pragma once

#include "common/PictureCheck.h"
#include "common/SendTypes.h"
#include "compose/PictureTarget.h"

#include <QImage>

#include <map>
#include <string>

// MMS pictures as images for the controls that show them. The pixels come from
// the core's picture check, so a picture is shown only when it passed it, and it
// is decoded once: the editor keeps what its slots took until told which pictures
// are still wanted.
namespace qb {

class PictureReader : public PictureTarget {
public:
    struct Read {
        PictureStatus status = PictureStatus::Missing;
        QImage image;
    };
    // A picture for showing (the message box, the viewer): checked and decoded.
    static Read read(const std::string& path);
    static QImage toImage(const PicturePixels& pixels);

    void keep(const std::string& path, PicturePixels pixels) override;
    // What the slots took for this path; checked and decoded afresh when it was not kept.
    QImage image(const std::string& path);
    // Drops every kept picture but those in the slots.
    void keepOnly(const PictureSlots& wanted);

private:
    std::map<std::string, QImage> m_images;
};

} // namespace qb
