#pragma once

#include <string>

// The main window's titles. Each starts from the base text: the product word,
// a blank and the service's host name in square brackets. All CP949.
namespace qb::title {

std::string base(const std::string& host);
// When the window is created.
std::string created(const std::string& host);
// The server or the network closed the login connection.
std::string closedByServer(const std::string& host);
std::string loggedOut(const std::string& host);
// On login result 0, before the after-login steps.
std::string loggedIn(const std::string& host, const std::string& userId, const std::string& version);
// At the end of the after-login steps.
std::string afterLogin(const std::string& host, const std::string& userId, const std::string& version,
                       long long rejectCount);

} // namespace qb::title
