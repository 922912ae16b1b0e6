#pragma once

// What the main window does for the login connection: the wait window, the
// steps that follow a login, and the window title, which the window builds from
// the events below. The client's main frame
// implements it; qbsend and the tests have their own.
namespace qb {

class LoginHost {
public:
    virtual ~LoginHost() = default;

    // "로그인 시도중....." with "로그인 중입니다..........."; when it is already
    // open it only gets the focus.
    virtual void showWaitWindow() = 0;
    // Closing a window that is not open does nothing.
    virtual void closeWaitWindow() = 0;
    // Login result 0, before the after-login steps.
    virtual void loggedIn() = 0;
    // The server or the network closed the login connection.
    virtual void closedByServer() = 0;
    virtual void loggedOut() = 0;
    // Balance line, reject count in the title, callback numbers, notice window.
    virtual void runAfterLoginSteps() = 0;
    // The send form's balance refresh, before a job's completion message.
    virtual void refreshBalance() = 0;
    // Every DATA_SENDRESULT, before it is shown: the send job settles its records.
    // False when its count cannot be believed: it is then not shown as sent.
    virtual bool sendResultArrived(int result, int count) {
        (void)result;
        (void)count;
        return true;
    }
};

} // namespace qb
