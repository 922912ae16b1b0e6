#pragma once

#include "app/ServiceConfig.h"
#include "send/ResumePolicy.h"
#include "send/SendForm.h"
#include "send/SendJob.h"
#include "send/SendJobHost.h"
#include "web/CallbackNumbers.h"
#include "web/WebClient.h"

#include <functional>
#include <memory>
#include <string>

// The send stack of one window: the send form, its send job and the web client
// they share, wired together. The client's send form view shows it and forwards
// the user's actions to it; qbsend fills it from its options and sends with it.
// No widget in sight: everything it does is told through the notifier.
namespace qb {

struct SendSessionParts {
    Notifier& notifier;
    Progress& formProgress; // imports and validation
    Progress& sendProgress; // the job's records
    LoginState& login;      // read by everything, written by a send's check reply
    RejectTable rejects;
    FormDialogHost& dialogs;
    EditorWindowHost& editors;
    ServiceConfig service; // the message server's send port, the web application
};

class SendSession {
public:
    explicit SendSession(SendSessionParts parts);
    ~SendSession();
    SendSession(const SendSession&) = delete;
    SendSession& operator=(const SendSession&) = delete;

    SendForm& form() { return *m_form; }
    const SendForm& form() const { return *m_form; }
    SendJob& job() { return *m_job; }
    WebClient& web() { return m_web; }
    Notifier& notifier() { return m_parts.notifier; }
    const std::string& userId() const { return m_parts.login.userId; }
    const BalanceLine& balance() const { return m_balance; }
    // Where the job reports; a test stands in for a job through it.
    SendJobHost& jobHost();
    // A job runs: everything that rebuilds the table or the queue waits.
    bool sending() const { return m_sending; }

    // "전송하기": a job this window left to its journal after a fault is offered
    // first; otherwise the preview's job, once the user agrees to its cost.
    void send();
    // The job as it stands, without a question: the preview's batch when there is
    // one, otherwise what the last job left.
    void startSend();
    // "전송중지" (or Escape) while a job runs: asks once, then stops it
    // (`SendJob::stop`).
    void stop();
    // "전송하기" would go on with what a cut job left ("이어서 전송"), not a preview's batch.
    bool resumes() const;
    // "잔액새로고침", and the end of every job (unless switched off below).
    void refreshBalance();
    void reloadCallbackNumbers();
    // Logout: the balance line and the callback numbers are the user's.
    void clearBalanceAndCallbacks();
    // An editor window was closed with "취소": the form goes back to SMS, but
    // never under a job's queue (`SendForm::returnToSms`).
    void returnToSms();
    // "메세지저장하기" of the SMS box.
    void saveSms();

    // Jobs are journaled in the working folder, so a crash loses nothing.
    void setWorkingFolder(const std::string& folder);
    // After a login: a job of this user that a crash or a fault cut short is
    // offered with its counts, and sent on when the user wants; the other
    // journals of the working folder are named. True when a job was started.
    bool offerInterruptedJobs();
    // The one resume policy (`resumeInterruptedJob`) on this session's job, with
    // `host` making the choices: the client asks its user, qbsend its options.
    ResumeResult resume(ResumeHost& host);
    // The service's DATA_SENDRESULT.
    bool sendResultArrived(int result, int count) { return m_job->sendResult(result, count); }

    // Told after the session changed on its own (a job began or ended, the
    // balance line arrived), so a window can show it.
    std::function<void()> onChanged;
    // A job began (true) or ended (false).
    std::function<void(bool)> onRunningChanged;
    // qbsend has no balance line to show.
    bool refreshBalanceAfterJob = true;

private:
    class JobHost;
    void sendRunningChanged(bool running);
    void changed();

    SendSessionParts m_parts;
    std::unique_ptr<JobHost> m_jobHost;
    WebClient m_web;
    std::unique_ptr<SendForm> m_form;
    std::unique_ptr<SendJob> m_job; // after the form: it goes first
    BalanceLine m_balance;
    bool m_sending = false;
};

} // namespace qb
