#include "web/WebMessages.h"

#include "common/Cp949.h"

namespace qb::webmsg {

const std::string& notLoggedIn() {
    static const std::string s = ko("로그인이 되어 있지 않습니다.");
    return s;
}

const std::string& noConnection() {
    static const std::string s = ko("서버와의 통신이 원활하지 않습니다.");
    return s;
}

const std::string& parseError() {
    static const std::string s = ko("데이터 파싱 오류! 다시 시도 하세요.!");
    return s;
}

const std::string& postFailed() {
    static const std::string s = ko("에러발생! 다시 시도해 주시기 바랍니다.");
    return s;
}

} // namespace qb::webmsg
