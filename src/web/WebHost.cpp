#include "web/WebHost.h"

#include "app/ServiceConfig.h"

namespace qb {

WebHost WebHost::from(const ServiceConfig& config) {
    WebHost h;
    h.host = config.host;
    h.port = config.webPort;
    return h;
}

std::string WebHost::base() const {
    std::string b = "http://" + urlHost(host);
    if (port != 80)
        b += ":" + std::to_string(port);
    return b;
}

std::string WebHost::url(std::string_view path) const {
    std::string u = base();
    if (path.empty() || path.front() != '/')
        u += '/';
    u.append(path);
    return u;
}

} // namespace qb
