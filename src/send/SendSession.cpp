#include "send/SendSession.h"

#include "web/MessageSaver.h"

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
      m_form(std::make_unique<SendForm>(m_parts.notifier, m_parts.formProgress, m_parts.settings,
                                        m_parts.login, m_parts.rejects, m_parts.dialogs, m_parts.editors)),
      m_job(std::make_unique<SendJob>(m_form->batch(), m_parts.login, m_parts.notifier, m_parts.sendProgress,
                                      *m_jobHost, m_parts.service)) {}

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
    m_form->setSending(running);
    if (onRunningChanged)
        onRunningChanged(running);
    changed();
}

void SendSession::changed() {
    if (onChanged)
        onChanged();
}

} // namespace qb
