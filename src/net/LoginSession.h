#pragma once

#include "app/ServiceConfig.h"
#include "common/LoginState.h"
#include "net/AsyncSocket.h"
#include "net/LoginConnectionHost.h"
#include "net/NetTimeouts.h"
#include "net/RetiredConnections.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The main window's part of the login: it owns the one login connection, starts
// a login, logs out and closes the connection. Everything the user sees goes
// through the LoginHost and the Notifier.
namespace qb {

class LoginConnection;
class LoginHost;
class Notifier;
class SystemLog;

class LoginSession : public QObject, private LoginConnectionHost {
    Q_OBJECT

public:
    using SocketFactory = std::function<std::unique_ptr<AsyncSocket>()>;

    LoginSession(LoginState& state, LoginHost& host, Notifier& notifier, const SystemLog& log,
                 ServiceConfig config);
    ~LoginSession() override;

    // Closes any login connection, then logs in with the id and password already
    // in the login state. False when no connect was started (too long an id or
    // password, no socket); the user has been told.
    bool login();
    // Closes the login connection, clears the logged-in flag, tells the host.
    void logout();
    // Closes and discards the login connection, if there is one.
    void closeLoginConnection() override;

    LoginConnection* connection() const { return m_connection.get(); }

    void setTimeouts(const NetTimeouts& timeouts) { m_timeouts = timeouts; }
    const NetTimeouts& timeouts() const override { return m_timeouts; }
    // The refusal of an id or password that does not fit the login packet.
    static const std::string& tooLongMessage();
    // Tests put in sockets that fail on purpose.
    void setSocketFactory(SocketFactory factory) { m_socketFactory = std::move(factory); }

private:
    // LoginConnectionHost
    LoginState& state() override { return m_state; }
    Notifier& notifier() override { return m_notifier; }
    const SystemLog& log() const override { return m_log; }
    // Closed connections go once control is back in the event loop and none of
    // their handlers is running.
    void leftHandlerClosed() override;

    LoginState& m_state;
    LoginHost& m_host;
    Notifier& m_notifier;
    const SystemLog& m_log;
    ServiceConfig m_config;
    NetTimeouts m_timeouts;
    SocketFactory m_socketFactory;
    std::unique_ptr<LoginConnection> m_connection;
    // Closed connections live until control is back in the event loop, since a
    // connection is often closed from inside one of its own handlers.
    RetiredConnections<LoginConnection> m_retired; // made where LoginConnection is complete
};

} // namespace qb
