#include "app/ServiceConfig.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "common/ProfileFile.h"

namespace qb {
namespace {

// A missing or empty key takes the default quietly; anything else must be a port.
int readPort(const ProfileFile::Contents& ini, const char* key, int fallback,
             std::vector<ServiceConfig::BadValue>& bad) {
    const std::string text = ini.read("SERVICE", key);
    if (bytes::trim(text).empty())
        return fallback;
    long long v = 0;
    if (!bytes::parseDecimal(bytes::trim(text), v) || v < 1 || v > 65535) {
        bad.push_back({key, text, fallback});
        return fallback;
    }
    return static_cast<int>(v);
}

} // namespace

std::string urlHost(const std::string& host) {
    // Only an IPv6 address holds a colon; one already in brackets stays as it is.
    if (host.find(':') == std::string::npos || host.front() == '[')
        return host;
    return "[" + host + "]";
}

std::string ServiceConfig::webBase() const {
    std::string base = "http://" + urlHost(host);
    if (webPort != 80)
        base += ":" + std::to_string(webPort);
    return base;
}

std::string ServiceConfig::badValuesMessage() const {
    std::string text = unreadFile.empty() ? std::string() : ProfileFile::tooLargeMessage(unreadFile);
    for (const BadValue& b : badValues) {
        if (!text.empty())
            text += "\n";
        text += std::string(kFileName) + " [SERVICE] " + b.key + "=" + b.value + " : " +
                ko("포트 번호(1~65535)가 아닙니다. 기본값 ") + std::to_string(b.fallback) +
                ko("을 사용합니다.");
    }
    return text;
}

ServiceConfig ServiceConfig::load(const std::string& workingFolder) {
    ServiceConfig c;
    const std::string path = workingFolder + "/" + kFileName;
    const ProfileFile::Contents ini = ProfileFile(path).load();
    if (ini.tooLarge())
        c.unreadFile = path;
    c.host = ini.read("SERVICE", "HOST", c.host);
    if (c.host.empty())
        c.host = ServiceConfig().host;
    c.loginPort = readPort(ini, "LOGIN_PORT", c.loginPort, c.badValues);
    c.sendPort = readPort(ini, "SEND_PORT", c.sendPort, c.badValues);
    c.webPort = readPort(ini, "WEB_PORT", c.webPort, c.badValues);
    c.homeUrl = ini.read("SERVICE", "HOME_URL", c.homeUrl);
    c.signupUrl = ini.read("SERVICE", "SIGNUP_URL", c.signupUrl);
    return c;
}

} // namespace qb
