#include "common/PictureCheck.h"

#include "common/Cp949.h"
#include "common/Notifier.h"
#include "common/RegularFile.h"

#include <QCryptographicHash>

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace qb {
namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    PictureStatus status = PictureStatus::Damaged;
};

// Anything libjpeg cannot go on with ends the decode here, never the process.
[[noreturn]] void onError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    switch (cinfo->err->msg_code) {
    case JERR_NO_SOI:
        err->status = PictureStatus::NotJpeg;
        break;
    case JERR_BAD_PRECISION:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_BAD_J_COLORSPACE:
        err->status = PictureStatus::Unsupported;
        break;
    case JERR_IMAGE_TOO_BIG:
    case JERR_NO_BACKING_STORE:
    case JERR_OUT_OF_MEMORY:
    case JERR_WIDTH_OVERFLOW:
        err->status = PictureStatus::TooLarge;
        break;
    default:
        err->status = PictureStatus::Damaged;
        break;
    }
    std::longjmp(err->jump, 1);
}

// Warnings: libjpeg goes on after them and fills what it could not read with grey.
// Only those that leave every pixel as the file meant it are taken.
void onMessage(j_common_ptr cinfo, int level) {
    if (level >= 0)
        return; // trace messages
    switch (cinfo->err->msg_code) {
    case JWRN_EXTRANEOUS_DATA: // stray bytes before a marker, as some editors and cameras write
    case JWRN_ADOBE_XFORM:
    case JWRN_JFIF_MAJOR:
    case JWRN_BOGUS_ICC:
        ++cinfo->err->num_warnings;
        return;
    default:
        break;
    }
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->status = PictureStatus::Damaged;
    std::longjmp(err->jump, 1);
}

// Adobe writes CMYK inverted; others do not.
void cmykToRgb(const unsigned char* in, unsigned char* out, unsigned width, bool inverted) {
    for (unsigned x = 0; x < width; ++x, in += 4, out += 3) {
        const unsigned k = inverted ? in[3] : 255u - in[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned v = inverted ? in[c] : 255u - in[c];
            out[c] = static_cast<unsigned char>(v * k / 255u);
        }
    }
}

// Everything that lives across the setjmp: its address is taken, so it is in memory
// when libjpeg jumps back.
struct Decode {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    std::vector<unsigned char> row;
    bool created = false;
};

// Kept apart from the setjmp, so no local of its own is live across the jump.
[[gnu::noinline]] PictureStatus decodeAll(std::string_view bytes, Decode& d, PicturePixels* pixels,
                                          int& width, int& height) {
    jpeg_create_decompress(&d.cinfo);
    d.created = true;
    d.cinfo.mem->max_memory_to_use = kPictureDecodeMemory;
    jpeg_mem_src(&d.cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&d.cinfo, TRUE);
    if (static_cast<long long>(d.cinfo.image_width) * d.cinfo.image_height > kMaxPicturePixels)
        return PictureStatus::TooLarge;
    bool cmyk = false;
    switch (d.cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        d.cinfo.out_color_space = JCS_RGB;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        d.cinfo.out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        return PictureStatus::Unsupported;
    }
    jpeg_start_decompress(&d.cinfo);
    const unsigned w = d.cinfo.output_width;
    const unsigned h = d.cinfo.output_height;
    d.row.resize(static_cast<std::size_t>(w) * static_cast<unsigned>(d.cinfo.output_components));
    if (pixels) {
        pixels->width = static_cast<int>(w);
        pixels->height = static_cast<int>(h);
        pixels->rgb.resize(static_cast<std::size_t>(w) * h * 3);
    }
    while (d.cinfo.output_scanline < h) {
        const std::size_t y = d.cinfo.output_scanline;
        unsigned char* target = pixels && !cmyk ? pixels->rgb.data() + y * w * 3 : d.row.data();
        JSAMPROW rows[1] = {target};
        if (jpeg_read_scanlines(&d.cinfo, rows, 1) != 1)
            return PictureStatus::Damaged;
        if (pixels && cmyk)
            cmykToRgb(d.row.data(), pixels->rgb.data() + y * w * 3, w, d.cinfo.saw_Adobe_marker);
    }
    // Reads up to the end of image: an error or warning after the last row still counts.
    jpeg_finish_decompress(&d.cinfo);
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return PictureStatus::Ok;
}

PictureStatus decode(std::string_view bytes, Decode& d, PicturePixels* pixels, int& width, int& height) {
    d.cinfo.err = jpeg_std_error(&d.err.pub);
    d.err.pub.error_exit = onError;
    d.err.pub.emit_message = onMessage;
    if (setjmp(d.err.jump))
        return d.err.status;
    return decodeAll(bytes, d, pixels, width, height);
}

PictureInfo refused(PictureStatus status) {
    PictureInfo info;
    info.status = status;
    return info;
}

} // namespace

PictureInfo checkPictureBytes(std::string_view bytes, PicturePixels* pixels) {
    if (pixels)
        *pixels = PicturePixels{};
    if (bytes.size() > kMaxPictureFileBytes)
        return refused(PictureStatus::TooLarge);
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xD8)
        return refused(PictureStatus::NotJpeg);
    PictureInfo info;
    {
        Decode d;
        info.status = decode(bytes, d, pixels, info.width, info.height);
        if (d.created)
            jpeg_destroy_decompress(&d.cinfo);
    }
    if (info.status != PictureStatus::Ok) {
        if (pixels)
            *pixels = PicturePixels{};
        return refused(info.status);
    }
    info.fingerprint.bytes = bytes.size();
    const QByteArray digest = QCryptographicHash::hash(
        QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())), QCryptographicHash::Sha256);
    info.fingerprint.sha256.assign(digest.constData(), static_cast<std::size_t>(digest.size()));
    return info;
}

PictureInfo checkPicture(const std::string& path, PicturePixels* pixels) {
    if (pixels)
        *pixels = PicturePixels{};
    std::string bytes;
    switch (path.empty() ? FileRead::Missing : readRegularFile(path, bytes, kMaxPictureFileBytes)) {
    case FileRead::Missing:
        return refused(PictureStatus::Missing);
    case FileRead::TooLarge:
        return refused(PictureStatus::TooLarge);
    case FileRead::Ok:
        break;
    }
    return checkPictureBytes(bytes, pixels);
}

const std::string& pictureMessage(PictureStatus status) {
    static const std::string missing = ko("화일경로가 존재하지 않습니다.");
    static const std::string notJpeg = ko("JPG 그림파일이 아닙니다.!");
    static const std::string unsupported = ko("지원하지 않는 그림파일 입니다.");
    static const std::string damaged = ko("손상된 그림파일 입니다.!");
    static const std::string tooLarge = ko("그림파일이 너무 큽니다.!");
    static const std::string none;
    switch (status) {
    case PictureStatus::Missing:
        return missing;
    case PictureStatus::NotJpeg:
        return notJpeg;
    case PictureStatus::Unsupported:
        return unsupported;
    case PictureStatus::Damaged:
        return damaged;
    case PictureStatus::TooLarge:
        return tooLarge;
    case PictureStatus::Ok:
        break;
    }
    return none;
}

bool picturesUnchanged(const PictureSlots& pictures, Notifier& notifier) {
    for (const PictureSlot& slot : pictures) {
        if (slot.empty())
            continue;
        const PictureInfo now = checkPicture(slot.path);
        if (now.status == PictureStatus::Ok && now.width == slot.width && now.height == slot.height &&
            now.fingerprint == slot.fingerprint)
            continue;
        static const std::string changed =
            ko("그림을 고른 뒤에 그림파일이 바뀌었습니다. 그림을 다시 선택해 주세요.");
        notifier.error(cp949::fromNativePath(slot.path) + "\n" +
                       (now.status == PictureStatus::Ok ? changed : pictureMessage(now.status)));
        return false;
    }
    return true;
}

} // namespace qb
