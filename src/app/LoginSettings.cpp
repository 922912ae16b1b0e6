#include "app/LoginSettings.h"

#include "common/ProfileFile.h"

namespace qb {
namespace {
constexpr const char* kSection = "LOGIN";
constexpr const char* kNotSaved = "0000";
} // namespace

LoginSettings LoginSettings::read(const std::string& envCfgPath) {
    const ProfileFile::Contents env = ProfileFile(envCfgPath, ProfileFile::Access::OwnerOnly).load();
    LoginSettings s;
    s.fileTooLarge = env.tooLarge();
    s.id = env.read(kSection, "ID", "");
    s.password = env.read(kSection, "PASSWD", "");
    s.idCheck = env.read(kSection, "IDCHECK", "N");
    s.passwordCheck = env.read(kSection, "PASSCHECK", "N");
    return s;
}

bool LoginSettings::write(const std::string& envCfgPath) const {
    const ProfileFile env(envCfgPath, ProfileFile::Access::OwnerOnly);
    return env.write(kSection,
                     {{"ID", id}, {"IDCHECK", idCheck}, {"PASSWD", password}, {"PASSCHECK", passwordCheck}});
}

LoginSettings LoginSettings::remember(const std::string& id, bool saveId, const std::string& password,
                                      bool savePassword) {
    LoginSettings s;
    s.id = saveId ? id : kNotSaved;
    s.idCheck = saveId ? "Y" : "N";
    s.password = savePassword ? password : kNotSaved;
    s.passwordCheck = savePassword ? "Y" : "N";
    return s;
}

} // namespace qb
