#pragma once

#include "web/HttpRequests.h"
#include "web/WebHost.h"
#include "web/WebJson.h"

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qb {

class Notifier;
struct LoginState;

// A query parameter appended after the user id: "&name=" and the encoded value.
using QueryParam = std::pair<std::string_view, std::string_view>;

// The calling convention every web operation follows: the login gate, paths
// built from the endpoint and the user id, and the message for each failure.
class WebClient {
public:
    WebClient(const LoginState& login, Notifier& notifier, WebHost host);

    const WebHost& host() const { return m_host; }
    Notifier& notifier() const { return m_notifier; }
    const std::string& userId() const;

    // False, after telling the user, when nobody is logged in.
    bool loginGate() const;

    // `endpoint` (which ends in "cid=") with the user id, then each extra parameter.
    // Values are percent-encoded.
    std::string path(std::string_view endpoint, std::initializer_list<QueryParam> extra = {}) const;

    // GET `path`; on failure tells the user "서버와의 통신이 원활하지 않습니다.".
    bool get(const std::string& path, std::string& reply) const;
    // GET endpoint + user id and read its JSON list; on failure tells the user and
    // leaves `rows` empty.
    bool getList(std::string_view endpoint, std::span<const std::string_view> fields,
                 std::vector<webjson::Row>& rows) const;
    // Multipart POST; on failure tells the user "에러발생! 다시 시도해 주시기 바랍니다.".
    bool post(std::string_view path, const std::vector<FormField>& fields,
              const std::vector<FormFile>& files = {}) const;

    // The full URL of a document on the service host.
    std::string url(std::string_view path) const { return m_host.url(path); }
    // `path` on the service host into `localPath`, at most `maxBytes` (`DownloadToFile`).
    long long download(std::string_view path, const std::string& localPath, long long maxBytes) const {
        return DownloadToFile(url(path), localPath, m_host.timeouts, maxBytes);
    }

private:
    const LoginState& m_login;
    Notifier& m_notifier;
    WebHost m_host;
};

} // namespace qb
