#pragma once

#include <string>

// The login dialog without its widgets: what it shows when it opens and what
// its OK button does. The dialog talks to no server.
namespace qb {

class Notifier;
struct LoginState;

struct LoginDialogFields {
    std::string id;
    std::string password;
    bool saveId = false;
    bool savePassword = false;
};

class LoginDialogModel {
public:
    LoginDialogModel(std::string envCfgPath, LoginState& state, Notifier& notifier);

    // The fields as the dialog opens: a saved id or password is filled in only
    // when its check key is exactly "Y".
    LoginDialogFields open() const;
    // OK: false (and a message) when the id or the password is empty or holds a
    // CR, LF or NUL; otherwise
    // remembers the choices in Env.cfg, copies id and password into the login
    // state and returns true. A failing Env.cfg write does not stop the login.
    bool accept(const LoginDialogFields& fields);

private:
    std::string m_envCfgPath;
    LoginState& m_state;
    Notifier& m_notifier;
};

} // namespace qb
