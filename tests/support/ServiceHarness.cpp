#include "support/ServiceHarness.h"

#include <cctype>

namespace qb::test {

ServiceHarness::ServiceHarness(const qbs::ServiceOptions& options) : m_service(options) {
    m_service.start();
    m_dir.mkdir("LOG");
    m_dir.mkdir("msg");
    m_dir.mkdir("imgtemp");
    std::string ini = "[SERVICE]\r\nHOST=" + options.host + "\r\n";
    // "login-port" -> LOGIN_PORT, and so on for every server the service runs.
    for (const auto& [role, port] : m_service.ports()) {
        std::string key;
        for (const char c : role)
            key += c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        ini += key + "=" + std::to_string(port) + "\r\n";
    }
    m_dir.write(ServiceConfig::kFileName, ini);
}

ServiceHarness::~ServiceHarness() {
    m_service.stop();
}

qbs::Account ServiceHarness::addAccount(const std::string& id, const std::string& password,
                                        std::int32_t userNumber, const std::string& userTag) {
    return m_service.accounts().add({id, password, userNumber, userTag});
}

ServiceConfig ServiceHarness::config() const {
    return ServiceConfig::load(m_dir.path());
}

} // namespace qb::test
