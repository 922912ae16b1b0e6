#include "compose/PictureFile.h"

#include "common/Cp949.h"
#include "compose/JpegCheck.h"

#include <filesystem>
#include <fstream>

namespace qb {

bool pictureFileReadable(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec) &&
           std::ifstream(path, std::ios::binary).is_open();
}

PictureInfo loadPicture(const std::string& path, PictureDecoder& decoder) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec))
        return {PictureStatus::Missing};
    const auto size = std::filesystem::file_size(path, ec);
    if (ec)
        return {PictureStatus::Missing};
    if (size > kMaxPictureFileBytes)
        return {PictureStatus::TooLarge};
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        return {PictureStatus::Missing};
    switch (checkJpeg(bytes).status) {
    case JpegStatus::NotJpeg:
        return {PictureStatus::NotJpeg};
    case JpegStatus::Damaged:
        return {PictureStatus::Damaged};
    case JpegStatus::Complete:
        break;
    }
    return decoder.decode(path, bytes);
}

const std::string& pictureMessage(PictureStatus status) {
    static const std::string missing = ko("화일경로가 존재하지 않습니다.");
    static const std::string notJpeg = ko("JPG 그림파일이 아닙니다.!");
    static const std::string damaged = ko("손상된 그림파일 입니다.!");
    static const std::string tooLarge = ko("그림파일이 너무 큽니다.!");
    static const std::string none;
    switch (status) {
    case PictureStatus::Missing:
        return missing;
    case PictureStatus::NotJpeg:
        return notJpeg;
    case PictureStatus::Damaged:
        return damaged;
    case PictureStatus::TooLarge:
        return tooLarge;
    case PictureStatus::Ok:
        break;
    }
    return none;
}

} // namespace qb
