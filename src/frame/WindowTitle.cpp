#include "frame/WindowTitle.h"

#include "common/Cp949.h"

namespace qb::title {

std::string base(const std::string& host) {
    static const std::string product = ko("퀼뱅크문자");
    return product + " [" + host + "]";
}

std::string created(const std::string& host) {
    return base(host);
}

std::string closedByServer(const std::string& host) {
    return " " + base(host);
}

std::string loggedOut(const std::string& host) {
    return " " + base(host) + " ";
}

std::string loggedIn(const std::string& host, const std::string& userId, const std::string& version) {
    static const std::string idLabel = ko("- 아이디 : [");
    return " " + base(host) + "  " + idLabel + userId + "] Ver - " + version + " ";
}

std::string afterLogin(const std::string& host, const std::string& userId, const std::string& version,
                       long long rejectCount) {
    static const std::string idLabel = ko("- 아이디 : [");
    static const std::string rejectLabel = ko(" ::수신거부 데이터 [");
    static const std::string unit = ko("] 개");
    return " " + base(host) + " " + idLabel + userId + "] Ver - " + version + rejectLabel +
           std::to_string(rejectCount) + unit;
}

} // namespace qb::title
