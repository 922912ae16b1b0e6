#include "app/ServiceConfig.h"

#include "common/Bytes.h"
#include "common/ProfileFile.h"

namespace qb {
namespace {

int readPort(const ProfileFile& ini, const char* key, int fallback) {
    long long v = 0;
    if (!bytes::parseDecimal(bytes::trim(ini.read("SERVICE", key)), v) || v < 1 || v > 65535)
        return fallback;
    return static_cast<int>(v);
}

} // namespace

std::string ServiceConfig::webBase() const {
    std::string base = "http://" + host;
    if (webPort != 80)
        base += ":" + std::to_string(webPort);
    return base;
}

ServiceConfig ServiceConfig::load(const std::string& workingFolder) {
    ServiceConfig c;
    const ProfileFile ini(workingFolder + "/" + kFileName);
    c.host = ini.read("SERVICE", "HOST", c.host);
    if (c.host.empty())
        c.host = ServiceConfig().host;
    c.loginPort = readPort(ini, "LOGIN_PORT", c.loginPort);
    c.sendPort = readPort(ini, "SEND_PORT", c.sendPort);
    c.webPort = readPort(ini, "WEB_PORT", c.webPort);
    c.homeUrl = ini.read("SERVICE", "HOME_URL", c.homeUrl);
    c.signupUrl = ini.read("SERVICE", "SIGNUP_URL", c.signupUrl);
    return c;
}

} // namespace qb
