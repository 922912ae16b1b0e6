#include "compose/MmsPictures.h"

#include "common/Cp949.h"
#include "common/Notifier.h"
#include "common/RegularFile.h"

#include <filesystem>

namespace qb {
namespace {

const std::string& missingFile() {
    static const std::string text = ko("화일경로가 존재하지 않습니다.");
    return text;
}

} // namespace

MmsPictures::MmsPictures(Notifier& notifier, PictureTarget* keeper)
    : m_notifier(notifier), m_keeper(keeper) {}

std::vector<MmsPictures::MenuEntry> MmsPictures::menu(int k) const {
    static const std::string open = ko("파일열기");
    static const std::string view = ko("원사이즈보기");
    static const std::string deletePicture = ko("그림삭제");
    static const std::string deleteFile = ko("파일삭제");
    if (!filled(k))
        return {{Action::Open, open}};
    return {{Action::Open, open},
            {Action::ViewOriginal, view},
            {Action::Delete, k == 1 ? deletePicture : deleteFile}};
}

namespace {

std::string asciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

const std::string& MmsPictures::fileFilter() {
    // Every spelling chooseFile() takes, on a file system that tells them apart.
    static const std::string filter = ko("JPG화일 (*.jpg) | *.jpg;*.jpeg;*.JPG;*.JPEG|All Files(*.*)|*.*||");
    return filter;
}

std::string MmsPictures::dialogExtension(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

bool MmsPictures::inOrder(int k) const {
    for (int before = 1; before < k; ++before)
        if (!filled(before)) {
            static const std::string text = ko("그림화일을 순서대로 선택하세요.!");
            m_notifier.error(text);
            return false;
        }
    return true;
}

PictureInfo MmsPictures::check(const std::string& path) {
    PicturePixels pixels;
    PictureInfo info = checkPicture(path, m_keeper ? &pixels : nullptr);
    if (info.status == PictureStatus::Ok && m_keeper)
        m_keeper->keep(path, std::move(pixels));
    return info;
}

bool MmsPictures::take(int k, const std::string& path) {
    PictureInfo info = check(path);
    if (info.status != PictureStatus::Ok) {
        m_notifier.error(pictureMessage(info.status));
        return false;
    }
    m_slots[index(k)] = PictureSlot{path, info.width, info.height, std::move(info.fingerprint)};
    return true;
}

bool MmsPictures::chooseFile(int k, const std::string& path) {
    if (path.empty() || !regularFileReadable(path)) {
        m_notifier.error(missingFile());
        return false;
    }
    const std::string ext = asciiLower(dialogExtension(path));
    if (ext != "jpg" && ext != "jpeg") {
        static const std::string text = ko("지원하지 않는 그림파일 입니다.");
        m_notifier.error(text);
        return false;
    }
    return inOrder(k) && take(k, path);
}

bool MmsPictures::drop(std::optional<int> k, const std::vector<std::string>& files) {
    if (!k) {
        static const std::string text = ko("Drag&drop 위치가 잘못되었습니다.!");
        m_notifier.error(text);
        return false;
    }
    if (files.size() > 1) {
        static const std::string text = ko("한개의 파일만 선택해 주세요.!");
        m_notifier.error(text);
        return false;
    }
    if (files.empty())
        return false;
    const std::string& name = files.front();
    if (name.empty()) {
        static const std::string text = ko("파일명 오류입니다.!");
        m_notifier.error(text);
        return false;
    }
    // Anywhere in the name, in any case (cameras write ".JPG", some tools ".Jpg").
    const std::string lower = asciiLower(name);
    if (lower.find(".jpg") == std::string::npos && lower.find(".jpeg") == std::string::npos) {
        static const std::string text = ko("jpg 그림파일만 지원합니다.!");
        m_notifier.error(text);
        return false;
    }
    if (!inOrder(*k))
        return false;
    // A dropped name need not be a file at all; it is checked before it takes the slot.
    if (!regularFileReadable(name)) {
        m_notifier.error(missingFile());
        return false;
    }
    return take(*k, name);
}

void MmsPictures::remove(int k) {
    m_slots[index(k)] = PictureSlot{};
}

void MmsPictures::clear() {
    m_slots = PictureSlots{};
}

void MmsPictures::replaceAll(const std::array<std::string, 3>& paths) {
    clear();
    bool told = false;
    for (int k = 1; k <= kSlots; ++k) {
        const std::string& path = paths[index(k)];
        if (path.empty())
            continue;
        PictureInfo info = check(path);
        if (info.status == PictureStatus::Ok)
            m_slots[index(k)] = PictureSlot{path, info.width, info.height, std::move(info.fingerprint)};
        else if (!told) {
            m_notifier.error(pictureMessage(info.status));
            told = true;
        }
    }
}

} // namespace qb
