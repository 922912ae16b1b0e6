#include "Service.h"

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
}

void Service::stop() {
    if (m_login)
        m_login->stop();
}

std::vector<std::pair<std::string, int>> Service::ports() const {
    std::vector<std::pair<std::string, int>> out;
    if (m_login)
        out.emplace_back("login-port", m_login->port());
    return out;
}

} // namespace qbs
