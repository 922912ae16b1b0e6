#include "Service.h"

#include <stdexcept>

namespace qbs {

Service::Service(ServiceOptions options) : m_options(std::move(options)) {}

Service::~Service() {
    stop();
}

void Service::start() {
    m_db = std::make_unique<Database>(m_options.databasePath);
    Accounts::createSchema(*m_db);
    m_accounts = std::make_unique<Accounts>(*m_db);
    m_login = std::make_unique<LoginServer>(*m_db, m_options.host, m_options.loginPort, m_options.log);
    m_login->start();
    m_send = std::make_unique<SendServer>(*m_db, *m_login, m_options.host, m_options.sendPort, m_options.log);
    SendQuirks quirks = m_options.slowSendReader ? SendQuirks::slowReader() : SendQuirks{};
    quirks.closeAfterRecords = m_options.dropSendAfter;
    quirks.closeOnce = true;
    m_send->setQuirks(quirks);
    m_send->start();
    setLengthField(m_options.lengthField);

    m_web = std::make_unique<WebServer>(*m_db);
    for (const std::string& fault : m_options.webFaults) {
        std::string why;
        if (!m_web->faults().apply(fault, &why))
            throw std::runtime_error("web fault " + fault + ": " + why);
    }
    if (m_options.log)
        m_web->setLog(m_options.log);
    m_web->setResultsRows(
        [send = m_send.get()](const std::string& user) { return send->store().resultRows(user); });
    m_web->setJobStatus([send = m_send.get()](const std::string& user, const std::string& tag, bool later) {
        return send->store().statusLine(user, tag, later);
    });
    if (!m_web->start(m_options.webPort, m_options.host))
        throw std::runtime_error("the web application cannot listen on " + m_options.host + ":" +
                                 std::to_string(m_options.webPort));
}

void Service::setLengthField(const LengthField& length) {
    m_login->setLengthField(length);
    m_send->setLengthField(length);
}

void Service::stop() {
    if (m_web)
        m_web->stop();
    if (m_send)
        m_send->stop();
    if (m_login)
        m_login->stop();
}

std::vector<std::pair<std::string, int>> Service::ports() const {
    std::vector<std::pair<std::string, int>> out;
    if (m_login)
        out.emplace_back("login-port", m_login->port());
    if (m_web)
        out.emplace_back("web-port", m_web->port());
    if (m_send)
        out.emplace_back("send-port", m_send->port());
    return out;
}

} // namespace qbs
