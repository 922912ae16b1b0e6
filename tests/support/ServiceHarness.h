#pragma once

#include "Service.h"
#include "app/ServiceConfig.h"
#include "support/TempDir.h"

#include <cstdint>
#include <string>

// qb-service in this process on loopback, every port chosen by the system, and a
// client working folder (service.ini pointing at it, LOG, msg, imgtemp).
namespace qb::test {

class ServiceHarness {
public:
    explicit ServiceHarness(const qbs::ServiceOptions& options = {});
    ~ServiceHarness();

    qbs::Service& service() { return m_service; }
    qbs::LoginServer& loginServer() { return m_service.loginServer(); }
    qbs::Account addAccount(const std::string& id, const std::string& password, std::int32_t userNumber = 0,
                            const std::string& userTag = {});

    const std::string& workdir() const { return m_dir.path(); }
    const TempDir& dir() const { return m_dir; }
    // What the client reads from the working folder.
    ServiceConfig config() const;

private:
    TempDir m_dir;
    qbs::Service m_service;
};

} // namespace qb::test
