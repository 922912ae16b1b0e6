#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Reading an MMS picture: the file must be a regular file of sensible size
// holding a whole JPEG stream, and it must decode within the decoder's memory
// limit. The decoding itself belongs to whoever shows the picture (the client
// decodes with QImageReader); everything before it is here.
namespace qb {

enum class PictureStatus {
    Ok,
    Missing,  // no such regular file, or it cannot be read
    NotJpeg,  // the bytes are no JPEG, whatever the name says
    Damaged,  // truncated, or the decoder gave up on it
    TooLarge, // the file, or the pixels it claims, exceed what we decode
};

struct PictureInfo {
    PictureStatus status = PictureStatus::Missing;
    int width = 0; // pixels; 0 unless Ok
    int height = 0;
};

class PictureDecoder {
public:
    virtual ~PictureDecoder() = default;
    // `bytes` passed the checks of loadPicture. Reports the decoded size, or why not.
    virtual PictureInfo decode(const std::string& path, std::string_view bytes) = 0;
};

// Files above this are refused before they are read whole.
inline constexpr std::size_t kMaxPictureFileBytes = 20 * 1024 * 1024;

// A regular file that can be opened for reading.
bool pictureFileReadable(const std::string& path);

PictureInfo loadPicture(const std::string& path, PictureDecoder& decoder);

// What the user is told when a picture cannot take a slot (status not Ok).
const std::string& pictureMessage(PictureStatus status);

} // namespace qb
