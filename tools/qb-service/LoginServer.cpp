#include "LoginServer.h"

#include "net/Packets.h"

#include <sys/socket.h>

namespace qbs {

namespace packet = qb::packet;

namespace {
std::string bigEndian(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16 & 0xFF), static_cast<char>(v >> 8 & 0xFF),
            static_cast<char>(v & 0xFF)};
}
} // namespace

struct LoginServer::Connection {
    std::mutex writeMutex; // also guards fd against the worker closing it
    int fd;
    explicit Connection(int f) : fd(f) {}
};

LoginServer::LoginServer(Database& db, std::string host, int port, Log log)
    : m_accounts(db), m_log(std::move(log)),
      m_server("login-server", std::move(host), port, [this](int fd) { serve(fd); }) {
    Accounts::createSchema(db);
}

LoginServer::~LoginServer() {
    stop();
}

void LoginServer::start() {
    m_server.start();
}

void LoginServer::stop() {
    m_server.stop();
}

void LoginServer::log(const std::string& line) const {
    if (m_log)
        m_log("login-server: " + line);
}

void LoginServer::setQuirks(const LoginQuirks& quirks) {
    std::lock_guard lock(m_mutex);
    m_quirks = quirks;
}

void LoginServer::setQuirks(const std::string& userId, const LoginQuirks& quirks) {
    std::lock_guard lock(m_mutex);
    m_accountQuirks[userId] = quirks;
}

void LoginServer::clearQuirks() {
    std::lock_guard lock(m_mutex);
    m_quirks.reset();
    m_accountQuirks.clear();
}

void LoginServer::setLengthField(const LengthField& length) {
    std::lock_guard lock(m_mutex);
    m_length = length;
}

std::string LoginServer::withLength(std::string packet) const {
    std::lock_guard lock(m_mutex);
    m_length.apply(packet);
    return packet;
}

LoginQuirks LoginServer::quirksFor(const std::string& userId) const {
    std::lock_guard lock(m_mutex);
    if (const auto it = m_accountQuirks.find(userId); it != m_accountQuirks.end())
        return it->second;
    return m_quirks.value_or(LoginQuirks{});
}

void LoginServer::serve(int fd) {
    const auto conn = std::make_shared<Connection>(fd);
    std::string userId;
    bool registered = false;

    char request[packet::kLoginSize];
    if (m_server.readExact(fd, request, sizeof request)) {
        const std::string bytes(request, sizeof request);
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(bytes);
        }
        const packet::LoginRequest login = *packet::decodeLogin(bytes);
        if (login.header.type != packet::DATA_LOGIN ||
            login.header.length != static_cast<std::int32_t>(packet::kLoginSize - packet::kHeaderSize)) {
            log("not a login request (type " + std::to_string(login.header.type) + "), connection closed");
        } else {
            userId = login.userId;
            const LoginQuirks quirks = quirksFor(userId);
            if (quirks.closeBeforeReply) {
                log(userId + ": closed before the reply, as asked");
            } else if (quirks.neverReply) {
                log(userId + ": no reply, as asked");
                char ignored[256];
                while (m_server.readSome(fd, ignored, sizeof ignored) > 0) {
                }
            } else {
                Account account;
                std::int32_t result = 2;
                if (const auto found = m_accounts.find(userId); found && found->password == login.password) {
                    account = *found;
                    // Registered before the reply, so a client that has read it finds
                    // the session ready for pushes.
                    std::lock_guard lock(m_mutex);
                    if (m_sessions.count(userId)) {
                        result = 1;
                    } else {
                        result = 0;
                        if (quirks.replyResult.value_or(0) == 0) {
                            m_sessions[userId] = conn;
                            registered = true;
                        }
                    }
                }
                const std::int32_t sent = quirks.replyResult.value_or(result);
                std::string reply =
                    withLength(packet::encodeLoginAck(sent, account.userNumber, account.userTag));
                if (quirks.replyType)
                    reply.replace(0, 4, bigEndian(*quirks.replyType));
                reply += quirks.appendToReply;
                log(userId + ": login result " + std::to_string(sent));
                send(*conn, reply, quirks.splitReplyAt, quirks.splitPause);

                // The client sends nothing more on this connection; wait for its close.
                char extra[256];
                const long n = m_server.readSome(fd, extra, sizeof extra);
                if (n > 0)
                    log(userId + ": unexpected bytes after the login, connection closed");
            }
        }
    }

    {
        std::lock_guard lock(m_mutex);
        if (registered) {
            const auto it = m_sessions.find(userId);
            if (it != m_sessions.end() && it->second == conn)
                m_sessions.erase(it);
            log(userId + ": logged out");
        }
    }
    m_changed.notify_all();
    std::lock_guard lock(conn->writeMutex);
    conn->fd = -1;
}

std::shared_ptr<LoginServer::Connection> LoginServer::sessionOf(const std::string& userId) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_sessions.find(userId);
    return it == m_sessions.end() ? nullptr : it->second;
}

bool LoginServer::send(Connection& c, const std::string& bytes, std::size_t splitAt,
                       std::chrono::milliseconds pause) {
    std::lock_guard lock(c.writeMutex);
    if (c.fd < 0)
        return false;
    if (splitAt == 0 || splitAt >= bytes.size())
        return m_server.writeAll(c.fd, bytes);
    return m_server.writeAll(c.fd, std::string_view(bytes).substr(0, splitAt)) && m_server.pause(pause) &&
           m_server.writeAll(c.fd, std::string_view(bytes).substr(splitAt));
}

bool LoginServer::pushSendResult(const std::string& userId, std::int32_t result, std::int32_t count) {
    log(userId + ": DATA_SENDRESULT " + std::to_string(result) + " " + std::to_string(count));
    return pushRaw(userId, withLength(packet::encodeSendResult(result, count)));
}

bool LoginServer::pushDeliverAck(const std::string& userId, std::int32_t value) {
    log(userId + ": DATA_DELIVERACK " + std::to_string(value));
    return pushRaw(userId, withLength(packet::encodeDeliverAck(value)));
}

bool LoginServer::pushRaw(const std::string& userId, const std::string& bytes, std::size_t splitAt,
                          std::chrono::milliseconds pause) {
    const std::shared_ptr<Connection> c = sessionOf(userId);
    return c && send(*c, bytes, splitAt, pause);
}

bool LoginServer::disconnect(const std::string& userId) {
    const std::shared_ptr<Connection> c = sessionOf(userId);
    if (!c)
        return false;
    std::lock_guard lock(c->writeMutex);
    if (c->fd < 0)
        return false;
    log(userId + ": disconnected by the server");
    ::shutdown(c->fd, SHUT_RDWR);
    return true;
}

bool LoginServer::isLoggedIn(const std::string& userId) const {
    return sessionOf(userId) != nullptr;
}

bool LoginServer::waitForLogout(const std::string& userId, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_sessions.count(userId) == 0; });
}

std::vector<std::string> LoginServer::receivedRequests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

} // namespace qbs
