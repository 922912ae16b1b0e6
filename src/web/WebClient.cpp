#include "web/WebClient.h"

#include "common/LoginState.h"
#include "common/Notifier.h"
#include "web/WebMessages.h"

namespace qb {

WebClient::WebClient(const LoginState& login, Notifier& notifier, WebHost host)
    : m_login(login), m_notifier(notifier), m_host(std::move(host)) {}

const std::string& WebClient::userId() const {
    return m_login.userId;
}

bool WebClient::loginGate() const {
    if (m_login.loggedIn)
        return true;
    m_notifier.error(webmsg::notLoggedIn());
    return false;
}

std::string WebClient::path(std::string_view endpoint, std::initializer_list<QueryParam> extra) const {
    std::string p(endpoint);
    p += percentEncode(m_login.userId);
    for (const auto& [name, value] : extra) {
        p += '&';
        p.append(name);
        p += '=';
        p += percentEncode(value);
    }
    return p;
}

bool WebClient::get(const std::string& path, std::string& reply) const {
    if (HttpGetText(m_host, path, reply))
        return true;
    m_notifier.error(webmsg::noConnection());
    return false;
}

bool WebClient::getList(std::string_view endpoint, std::span<const std::string_view> fields,
                        std::vector<webjson::Row>& rows) const {
    rows.clear();
    std::string reply;
    if (!get(path(endpoint), reply))
        return false;
    if (webjson::readList(reply, m_login.userId, fields, rows))
        return true;
    m_notifier.error(webmsg::parseError());
    return false;
}

bool WebClient::post(std::string_view path, const std::vector<FormField>& fields,
                     const std::vector<FormFile>& files) const {
    if (PostForm(m_host, path, fields, files) == 0)
        return true;
    m_notifier.error(webmsg::postFailed());
    return false;
}

} // namespace qb
