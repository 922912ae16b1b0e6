#pragma once

// What a send job asks of the session that runs it. `SendSession` implements it
// for the client and qbsend alike and tells its window in turn; tests have their own.
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
