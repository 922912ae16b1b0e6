#include "send/ColumnMemory.h"

#include "common/Bytes.h"
#include "common/ProfileFile.h"

namespace qb {
namespace {
constexpr const char* kSection = "COLUMNS";
} // namespace

std::optional<KeptColumns> KeptColumns::read(const std::string& envCfgPath, const std::string& signature,
                                             int columns) {
    const std::string value =
        ProfileFile(envCfgPath, ProfileFile::Access::OwnerOnly).read(kSection, signature);
    const std::vector<std::string_view> fields = bytes::splitRuns(value, ",");
    if (fields.size() != 5)
        return std::nullopt;
    std::array<int, 5> n{};
    for (std::size_t i = 0; i < n.size(); ++i) {
        long long v = 0;
        if (!bytes::parseDecimal(fields[i], v) || v < 0 || v > columns)
            return std::nullopt;
        n[i] = static_cast<int>(v);
    }
    return KeptColumns{n[0], {n[1], n[2], n[3], n[4]}};
}

bool KeptColumns::write(const std::string& envCfgPath, const std::string& signature) const {
    std::string value = std::to_string(number);
    for (const int m : merge)
        value += "," + std::to_string(m);
    return ProfileFile(envCfgPath, ProfileFile::Access::OwnerOnly).write(kSection, signature, value);
}

} // namespace qb
