#pragma once

#include "Database.h"
#include "WebServer.h"

#include "common/Clock.h"
#include "common/LoginState.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"
#include "support/TestClock.h"
#include "web/WebClient.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace qb::test {

// The web application in-process on a loopback port, a logged-in user, a
// message recorder and a fixed clock (2024-03-05 14:07:09 in Seoul).
class WebFixture : public ::testing::Test {
protected:
    WebFixture();
    ~WebFixture() override;

    // Replaces the logged-in user (the client follows the login state).
    void loginAs(const std::string& userId);
    // A client whose requests go to a port nothing listens on.
    WebClient downClient();
    qbs::WebStore& store() { return server.store(); }
    const std::string& user() const { return login.userId; }

    static constexpr std::time_t kNow = 1709615229; // 2024-03-05 14:07:09 KST

    ClockAt clock{kNow};
    TempDir dir;
    qbs::Database db{":memory:"};
    qbs::WebServer server{db};
    LoginState login;
    RecordingNotifier notifier;
    WebHost host;
    std::unique_ptr<WebClient> web;
};

} // namespace qb::test
