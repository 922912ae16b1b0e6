#include "send/SendSession.h"

#include "common/Cp949.h"
#include "common/Notifier.h"
#include "send/ResumePolicy.h"
#include "web/MessageSaver.h"
#include "web/SendStatus.h"

namespace qb {

class SendSession::JobHost : public SendJobHost {
public:
    explicit JobHost(SendSession& session) : m_session(session) {}
    void sendRunningChanged(bool running) override { m_session.sendRunningChanged(running); }
    void refreshBalance() override {
        if (m_session.refreshBalanceAfterJob)
            m_session.refreshBalance();
    }

private:
    SendSession& m_session;
};

SendSession::SendSession(SendSessionParts parts)
    : m_parts(std::move(parts)), m_jobHost(std::make_unique<JobHost>(*this)),
      m_web(m_parts.login, m_parts.notifier, WebHost::from(m_parts.service)),
      m_form(std::make_unique<SendForm>(m_parts.notifier, m_parts.formProgress, m_parts.login,
                                        m_parts.rejects, m_parts.dialogs, m_parts.editors)),
      m_job(std::make_unique<SendJob>(m_parts.login, m_parts.notifier, m_parts.sendProgress, *m_jobHost,
                                      m_parts.service)) {
    m_form->onBatchPrepared = [this](const SendBatch& batch) { m_job->prepareJournal(batch); };
    m_form->onRestDropped = [this] { m_job->dropRest(); };
}

SendSession::~SendSession() {
    m_job.reset();
}

SendJobHost& SendSession::jobHost() {
    return *m_jobHost;
}

void SendSession::refreshBalance() {
    loadBalanceLine(m_web, m_balance);
    changed();
}

void SendSession::reloadCallbackNumbers() {
    const bool loggedIn = m_parts.login.loggedIn;
    std::vector<std::string> numbers;
    loadCallbackChoices(m_web, numbers);
    // Past the login gate the box is emptied first, whatever the request gives.
    if (loggedIn)
        m_form->setCallbackChoices(std::move(numbers));
}

void SendSession::clearBalanceAndCallbacks() {
    m_balance = BalanceLine{};
    m_form->setCallbackChoices({});
}

void SendSession::returnToSms() {
    m_form->returnToSms();
}

void SendSession::saveSms() {
    MessageSaver(m_web).saveSms(m_form->state().smsText);
}

void SendSession::sendRunningChanged(bool running) {
    m_sending = running;
    m_form->setSending(running, m_job->rest() != nullptr);
    if (onRunningChanged)
        onRunningChanged(running);
    changed();
}

void SendSession::changed() {
    if (onChanged)
        onChanged();
}

} // namespace qb

namespace qb {

void SendSession::setWorkingFolder(const std::string& folder) {
    m_job->setJournalFolder(JobJournal::folderOf(folder));
}

ResumeResult SendSession::resume(ResumeHost& host) {
    ResumeResult r = resumeInterruptedJob({*m_job, userId(), m_web.host(), m_parts.notifier}, host);
    // The job may hold a journal's rest now.
    if (r.outcome == ResumeResult::Outcome::Started || r.outcome == ResumeResult::Outcome::NothingLeft)
        changed();
    return r;
}

void SendSession::send() {
    if (!m_sending && !m_job->pendingJournal().empty()) {
        // Its queue went to the journal: the rest goes from what the service holds.
        const bool started = offerInterruptedJobs();
        m_job->forgetPendingJournal();
        if (started || (!m_form->prepared() && !m_job->rest()))
            return;
    }
    if (m_form->confirmSend(m_job->rest()))
        startSend();
}

void SendSession::stop() {
    if (!m_sending)
        return;
    static const std::string question = ko("전송을 중지하시겠습니까?\n서버가 받은 건까지 전송된 것으로 하고, "
                                           "남은 건은 이어서 전송할 수 있습니다.");
    // The job runs on while the question is open and may end by itself.
    if (m_parts.notifier.askYesNo(question, MessageIcon::None))
        m_job->stop();
}

bool SendSession::resumes() const {
    return !m_sending && !m_form->prepared() && (!m_job->pendingJournal().empty() || m_job->rest());
}

void SendSession::startSend() {
    if (m_form->prepared() && !m_sending)
        m_job->take(m_form->takePrepared());
    m_job->startSend();
}

namespace {

std::string countsText(const ResumePlan& plan) {
    return ko("전체 [") + std::to_string(plan.total) + ko("]건 중 [") + std::to_string(plan.sure) +
           ko("]건 전송 확인, [") + std::to_string(plan.uncertain) + ko("]건 확인 불가, [") +
           std::to_string(plan.left) + ko("]건 미전송.");
}

std::string fileName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// The client's user makes the choices, one box each.
class AskingResumeHost : public ResumeHost {
public:
    explicit AskingResumeHost(Notifier& notifier) : m_notifier(notifier) {}

    void listed(const std::vector<PendingJob>& jobs) override {
        // What this user cannot resume here is named once, in one box.
        std::string others;
        for (const PendingJob& job : jobs) {
            if (job.state == PendingJob::State::InUse)
                others += fileName(job.path) + ko(": 다른 프로그램이 사용 중\n");
            else if (job.state == PendingJob::State::OtherUser)
                others += fileName(job.path) + ": " + job.journal.userId + ", " + kindName(job.journal.kind) +
                          ko(", 다른 사용자의 전송 기록\n");
        }
        if (!others.empty())
            m_notifier.info(ko("작업 폴더에 다른 전송 기록이 있습니다.\n") + others);
    }
    bool setAsideDamaged(const PendingJob& job) override {
        return m_notifier.askYesNo(ko("중단된 전송 기록이 손상되어 이어서 보낼 수 없습니다.\n") +
                                       job.journal.problem + setAsideQuestion(),
                                   MessageIcon::Error);
    }
    void cannotResumeYet(const PendingJob& job) override {
        const ResumePlan& plan = job.plan;
        if (plan.serviceError())
            m_notifier.error(counts(job) + "\n" +
                             SendJob::countErrorMessage(plan.serviceClaimed, plan.lastCount));
        else
            m_notifier.error(counts(job) +
                             ko("\n서버가 응답하지 않아 받은 건수를 확인할 수 없습니다. 서버가 다시 응답하면 "
                                "로그인하여 이어서 전송할 수 있습니다."));
    }
    bool resumeNow(const PendingJob& job) override {
        return m_notifier.askYesNo(counts(job) + ko("\n남은 건을 지금 전송하시겠습니까?"), MessageIcon::None);
    }
    bool setAsideDeclined(const PendingJob&) override {
        return m_notifier.askYesNo(ko("중단된 전송을 보내지 않습니다.") + setAsideQuestion(),
                                   MessageIcon::None);
    }
    std::optional<bool> resendUncertain(const PendingJob& job) override {
        return m_notifier.askYesNo(SendJob::resendUncertainQuestion(job.plan.uncertain), MessageIcon::Error);
    }

private:
    static std::string counts(const PendingJob& job) {
        std::string text =
            ko("이전에 중단된 전송이 있습니다. ") + kindName(job.journal.kind) + " " + countsText(job.plan);
        if (job.plan.maybeOlderCopy)
            text += ko("\n이 기록 뒤에 같은 건수의 전송이 있었습니다. 예전에 복사해 둔 기록일 수 있습니다.");
        return text;
    }
    static std::string setAsideQuestion() {
        return ko("\n이 전송 기록을 따로 보관하시겠습니까? (sendjob/set-aside 폴더로 옮기며, "
                  "지우지 않습니다)\n아니요: 다음 로그인 때 다시 묻습니다.");
    }

    Notifier& m_notifier;
};

} // namespace

bool SendSession::offerInterruptedJobs() {
    if (m_job->journalFolder().empty() || m_sending)
        return false;
    AskingResumeHost host(m_parts.notifier);
    const ResumeResult r = resume(host);
    if (r.outcome == ResumeResult::Outcome::Failed)
        m_parts.notifier.error(r.error);
    if (r.outcome != ResumeResult::Outcome::Started)
        return false;
    m_job->startSend(); // the journal's batch; a preview's stays with the form
    return true;
}

} // namespace qb
