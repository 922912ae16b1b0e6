#pragma once

#include "Accounts.h"
#include "LengthField.h"
#include "TcpServer.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The login port of the stand-in message server. It reads one DATA_LOGIN per
// connection, answers with DATA_LOGINACK (0 logged in, 1 the id already has a
// live login connection, 2 wrong id or password) and keeps the connection, on
// which DATA_SENDRESULT and DATA_DELIVERACK are pushed on demand. It is strict:
// anything else the client sends ends the connection.
namespace qbs {

// Ways to misbehave, for tests of the client's failure paths.
struct LoginQuirks {
    bool closeBeforeReply = false;
    // Takes the request and never answers; the connection stays until the client closes.
    bool neverReply = false;
    // > 0: the reply goes out in two writes, the first `splitReplyAt` bytes, a
    // pause, then the rest.
    std::size_t splitReplyAt = 0;
    std::chrono::milliseconds splitPause{100};
    std::optional<std::int32_t> replyType;   // instead of DATA_LOGINACK
    std::optional<std::int32_t> replyResult; // instead of the real result
    std::string appendToReply;               // more bytes in the same write
};

class LoginServer {
public:
    using Log = std::function<void(const std::string&)>;

    LoginServer(Database& db, std::string host, int port, Log log = {});
    ~LoginServer();

    void start(); // throws std::runtime_error when it cannot listen
    void stop();
    int port() const { return m_server.port(); }

    // Quirks for every login, or for one account (those win).
    void setQuirks(const LoginQuirks& quirks);
    void setQuirks(const std::string& userId, const LoginQuirks& quirks);
    void clearQuirks();
    // How the length field of the login reply and the pushes is filled.
    void setLengthField(const LengthField& length);

    // Pushes to the user's live login connection; false when there is none.
    bool pushSendResult(const std::string& userId, std::int32_t result, std::int32_t count);
    bool pushDeliverAck(const std::string& userId, std::int32_t value);
    // Any bytes, as they are (no length rewritten), optionally in two writes split at `splitAt` with a pause
    // between.
    bool pushRaw(const std::string& userId, const std::string& bytes, std::size_t splitAt = 0,
                 std::chrono::milliseconds pause = std::chrono::milliseconds(0));
    // Closes the user's login connection from the server's side.
    bool disconnect(const std::string& userId);

    bool isLoggedIn(const std::string& userId) const;
    // True once the user has no live login connection (the client's close has
    // been seen), false when `timeout` passes first.
    bool waitForLogout(const std::string& userId, std::chrono::milliseconds timeout) const;
    // Every DATA_LOGIN received, as it came off the wire.
    std::vector<std::string> receivedRequests() const;

private:
    struct Connection;

    void serve(int fd);
    LoginQuirks quirksFor(const std::string& userId) const;
    std::shared_ptr<Connection> sessionOf(const std::string& userId) const;
    std::string withLength(std::string packet) const;
    bool send(Connection& c, const std::string& bytes, std::size_t splitAt, std::chrono::milliseconds pause);
    void log(const std::string& line) const;

    Accounts m_accounts;
    Log m_log;
    TcpServer m_server;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::optional<LoginQuirks> m_quirks;
    std::map<std::string, LoginQuirks> m_accountQuirks;
    LengthField m_length;
    std::map<std::string, std::shared_ptr<Connection>> m_sessions;
    std::vector<std::string> m_requests;
};

} // namespace qbs
