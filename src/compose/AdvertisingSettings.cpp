#include "compose/AdvertisingSettings.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "common/ProfileFile.h"

#include <algorithm>

namespace qb {
namespace {
constexpr const char* kSection = "AD";
} // namespace

AdvertisingSettings AdvertisingSettings::read(const std::string& envCfgPath) {
    const ProfileFile::Contents env = ProfileFile(envCfgPath, ProfileFile::Access::OwnerOnly).load();
    AdvertisingSettings s;
    s.on = env.read(kSection, "ON", "N") == "Y";
    s.name = env.read(kSection, "NAME");
    s.optOut = env.read(kSection, "OPTOUT");
    return s;
}

bool AdvertisingSettings::write(const std::string& envCfgPath) const {
    const ProfileFile env(envCfgPath, ProfileFile::Access::OwnerOnly);
    return env.write(kSection, {{"ON", on ? "Y" : "N"}, {"NAME", name}, {"OPTOUT", optOut}});
}

std::string AdvertisingSettings::problem() const {
    if (!isSenderName(name))
        return ko("광고 설정에서 상호(서비스명)를 40바이트 이내로 입력해주세요.");
    if (!isOptOutNumber(optOut))
        return ko(
            "광고 설정에서 무료수신거부 번호를 080으로 시작하는 번호로 입력해주세요.\n(예: 080-123-4567)");
    return {};
}

bool isSenderName(std::string_view name) {
    const bool control =
        std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    return !bytes::trim(name).empty() && !control && name.size() <= AdvertisingSettings::kMaxNameBytes &&
           cp949::isValidCp949(name);
}

bool isOptOutNumber(std::string_view text) {
    if (text.empty() || text.size() > AdvertisingSettings::kMaxOptOutBytes || text.front() == '-' ||
        text.back() == '-' || text.find("--") != std::string_view::npos)
        return false;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c == '-' || (c >= '0' && c <= '9'); }))
        return false;
    const std::string digits = numberDigits(text);
    return (digits.size() == 10 || digits.size() == 11) && digits.rfind("080", 0) == 0;
}

std::string numberDigits(std::string_view text) {
    std::string digits;
    digits.reserve(text.size());
    for (char c : text)
        if (c != '-')
            digits += c;
    return digits;
}

} // namespace qb
