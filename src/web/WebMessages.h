#pragma once

#include <string>

// What the web operations tell the user, as CP949.
namespace qb::webmsg {

const std::string& notLoggedIn();  // "로그인이 되어 있지 않습니다."
const std::string& noConnection(); // "서버와의 통신이 원활하지 않습니다."
const std::string& parseError();   // "데이터 파싱 오류! 다시 시도 하세요.!"
const std::string& postFailed();   // "에러발생! 다시 시도해 주시기 바랍니다."

} // namespace qb::webmsg
