#pragma once

#include "net/NetTimeouts.h"

// What the login connection asks of the session that owns it: the login it sends
// and the places it reports to, and its own end. The session decides when a
// connection goes; the window's part is the LoginHost's.
namespace qb {

class Notifier;
class SystemLog;
struct LoginState;

class LoginConnectionHost {
public:
    virtual ~LoginConnectionHost() = default;

    virtual LoginState& state() = 0;
    virtual Notifier& notifier() = 0;
    virtual const SystemLog& log() const = 0;
    virtual const NetTimeouts& timeouts() const = 0;
    // The attempt is over: the connection is closed and goes.
    virtual void closeLoginConnection() = 0;
    // A connection closed under its own handler has left it: it may go now.
    virtual void leftHandlerClosed() = 0;
};

} // namespace qb
