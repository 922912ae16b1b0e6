#pragma once

#include <string>

// The user's login, owned by the main frame for its whole life and consulted by
// everything that talks to the server or the web application. All texts are CP949.
namespace qb {

struct LoginState {
    bool loggedIn = false;
    std::string userId;   // as typed; also the cid / m_id of every web request
    std::string password; // as typed; sent only in the login packet
    std::string version;  // from update.ini, shown in the title
    std::string clientField = "0.0";

    // Server values: kept across logouts, overwritten by the next login or send check.
    std::string userNumber; // decimal text of the login reply's integer
    std::string userTag;
    std::string sendCode;
    std::string sendTime;
    std::string sendTag;

    long long rejectCount = 0;
};

} // namespace qb
