#include "WebFixture.h"

#include "RawHttpCapture.h"

namespace qb::test {

WebFixture::WebFixture() {
    if (!server.start(0))
        throw std::runtime_error("the web application could not start");
    host = WebHost{"127.0.0.1", server.port(), HttpTimeouts{2000, 5000}};
    login.loggedIn = true;
    login.userId = "tester";
    web = std::make_unique<WebClient>(login, notifier, host);
}

WebFixture::~WebFixture() {
    server.stop();
}

void WebFixture::loginAs(const std::string& userId) {
    login.userId = userId;
}

WebClient WebFixture::downClient() {
    WebHost down = host;
    down.port = deadPort();
    return WebClient(login, notifier, down);
}

} // namespace qb::test
