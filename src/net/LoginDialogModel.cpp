#include "net/LoginDialogModel.h"

#include "app/LoginSettings.h"
#include "common/Cp949.h"
#include "common/LoginState.h"
#include "common/Notifier.h"
#include "common/ProfileFile.h"

#include <string_view>

namespace qb {

LoginDialogModel::LoginDialogModel(std::string envCfgPath, LoginState& state, Notifier& notifier)
    : m_envCfgPath(std::move(envCfgPath)), m_state(state), m_notifier(notifier) {}

LoginDialogFields LoginDialogModel::open() const {
    const LoginSettings saved = LoginSettings::read(m_envCfgPath);
    if (saved.fileTooLarge)
        m_notifier.error(ProfileFile::tooLargeMessage(m_envCfgPath));
    LoginDialogFields f;
    f.saveId = saved.idCheck == "Y";
    f.savePassword = saved.passwordCheck == "Y";
    if (f.saveId)
        f.id = saved.id;
    if (f.savePassword)
        f.password = saved.password;
    return f;
}

bool LoginDialogModel::accept(const LoginDialogFields& fields) {
    if (fields.id.empty() || fields.password.empty()) {
        m_notifier.error(ko("아이디와 비번을 입력해주세요!"));
        return false;
    }
    // A line break would add a line of its own to Env.cfg ("pw\r\nID=evil"), and a
    // NUL would cut the value there.
    static constexpr std::string_view kBreaking("\r\n\0", 3);
    if (fields.id.find_first_of(kBreaking) != std::string::npos ||
        fields.password.find_first_of(kBreaking) != std::string::npos) {
        m_notifier.error(ko("아이디와 비번에 줄바꿈 문자를 넣을 수 없습니다."));
        return false;
    }
    LoginSettings::remember(fields.id, fields.saveId, fields.password, fields.savePassword)
        .write(m_envCfgPath);
    m_state.userId = fields.id;
    m_state.password = fields.password;
    return true;
}

} // namespace qb
