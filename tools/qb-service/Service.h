#pragma once

#include "Accounts.h"
#include "Database.h"
#include "LoginServer.h"
#include "SendServer.h"
#include "WebServer.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The stand-in service: one database and the servers around it, each on its own
// threads. Tests run it in-process; main.cpp runs it until a signal.
namespace qbs {

struct ServiceOptions {
    std::string host = "127.0.0.1";
    // 0: any free port.
    int loginPort = 0;
    int sendPort = 0;
    int webPort = 0;
    std::string databasePath = ":memory:";
    // Misbehaviour of the web application, "KIND[:MS][@DOCUMENT]" each (WebFaults::apply).
    std::vector<std::string> webFaults;
    // The send port reads slowly (SendQuirks::slowReader), so clients meet a full socket.
    bool slowSendReader = false;
    // > 0: the first send job that brings this many records loses its connection.
    std::size_t dropSendAfter = 0;
    // How the length field of every packet the service writes is filled.
    LengthField lengthField;
    // One line per event, from any thread; nothing is logged when empty.
    std::function<void(const std::string&)> log;
};

class Service {
public:
    explicit Service(ServiceOptions options);
    ~Service();
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    // Opens the database and starts every server; throws std::runtime_error.
    void start();
    void stop();

    Database& database() { return *m_db; }
    Accounts& accounts() { return *m_accounts; }
    LoginServer& loginServer() { return *m_login; }
    SendServer& sendServer() { return *m_send; }
    WebServer& webServer() { return *m_web; }
    // For the login reply, the pushes and the check reply alike.
    void setLengthField(const LengthField& length);

    // The ports taken, by role ("login-port", ...), in a fixed order.
    std::vector<std::pair<std::string, int>> ports() const;

private:
    ServiceOptions m_options;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<Accounts> m_accounts;
    // The servers. A new one is a member here, a line in start(), stop() and ports().
    std::unique_ptr<LoginServer> m_login;
    std::unique_ptr<SendServer> m_send;
    std::unique_ptr<WebServer> m_web;
};

} // namespace qbs
