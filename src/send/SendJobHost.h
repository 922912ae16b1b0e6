#pragma once

// What the send form's window does for a send job. The client's send form
// implements it; qbsend and the tests have their own.
namespace qb {

class SendJobHost {
public:
    virtual ~SendJobHost() = default;

    // A job began (true) or is over (false). While one runs, "전송하기" and
    // everything that changes the send queue (preview, imports, kind, reset)
    // stay disabled (`SendForm::setSending`).
    virtual void sendRunningChanged(bool running) = 0;
    // The send form's "잔액새로고침", once a job has run to its end.
    virtual void refreshBalance() = 0;
};

} // namespace qb
