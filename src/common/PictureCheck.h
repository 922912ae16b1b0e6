#pragma once

#include "common/SendTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The one judgement of an MMS picture, used wherever a picture comes in or goes
// out: the editor's slots, drops, saved messages fetched from the service, qbsend
// and the upload. A picture is a regular file of at most kMaxPictureFileBytes
// holding an 8-bit JPEG that libjpeg decodes whole, within kMaxPicturePixels and
// kPictureDecodeMemory. Warnings about stray bytes before a marker are taken, as
// every decoder takes them; data that ends early or does not decode is refused
// (a decoder would paint the rest grey and call it a picture).
namespace qb {

class Notifier;

enum class PictureStatus {
    Ok,
    Missing,     // no such regular file, or it cannot be read
    NotJpeg,     // the bytes are no JPEG, whatever the name says
    Unsupported, // a JPEG phones do not show: 12-bit samples, unknown colour
    Damaged,     // truncated, or the data does not decode
    TooLarge,    // the file, the pixels it claims or the memory it needs exceed the limits
};

struct PictureInfo {
    PictureStatus status = PictureStatus::Missing;
    int width = 0; // pixels; 0 unless Ok
    int height = 0;
    PictureFingerprint fingerprint; // of the bytes judged; empty unless Ok
};

// A decoded picture: three bytes a pixel (red, green, blue), rows top down, unpadded.
struct PicturePixels {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// Larger files are refused by their size, before a byte is read.
inline constexpr std::size_t kMaxPictureFileBytes = 20 * 1024 * 1024;
// Refused from the frame header, before decoding: 64 MB at four bytes a pixel, a
// 16-megapixel photo.
inline constexpr long long kMaxPicturePixels = 16LL * 1024 * 1024;
// libjpeg's own working memory; a progressive picture at the pixel limit needs
// its coefficients whole (two bytes a sample, up to four samples a pixel).
inline constexpr long kPictureDecodeMemory = 8L * kMaxPicturePixels + 8L * 1024 * 1024;

// The bytes of a picture file. `pixels`, when given, receives the decoded picture.
PictureInfo checkPictureBytes(std::string_view bytes, PicturePixels* pixels = nullptr);
// The file at `path`, read once (never more than the file limit) and judged.
PictureInfo checkPicture(const std::string& path, PicturePixels* pixels = nullptr);

// What the user is told when a picture is refused (status not Ok).
const std::string& pictureMessage(PictureStatus status);

// Right before an upload: every filled slot's file must still be the picture that
// took the slot (size, dimensions, content). False after telling the user which is not.
bool picturesUnchanged(const PictureSlots& pictures, Notifier& notifier);

} // namespace qb
