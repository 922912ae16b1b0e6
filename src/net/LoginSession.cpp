#include "net/LoginSession.h"

#include "common/Cp949.h"
#include "common/Notifier.h"
#include "net/LoginConnection.h"
#include "net/LoginHost.h"
#include "net/Packets.h"

#include <QTimer>

namespace qb {

LoginSession::LoginSession(LoginState& state, LoginHost& host, Notifier& notifier, const SystemLog& log,
                           ServiceConfig config)
    : m_state(state), m_host(host), m_notifier(notifier), m_log(log), m_config(std::move(config)),
      m_retired(this) {}

LoginSession::~LoginSession() {
    closeLoginConnection();
    m_retired.clear();
}

const std::string& LoginSession::tooLongMessage() {
    static const std::string text = ko("아이디와 비번은 영문 16자, 한글 8자 이내로 입력해주세요!");
    return text;
}

bool LoginSession::login() {
    closeLoginConnection();
    // Longer texts would be cut by the login packet and the server would judge
    // an id or password the user never typed.
    if (m_state.userId.size() > packet::kUserIdWidth || m_state.password.size() > packet::kPasswordWidth) {
        m_notifier.error(tooLongMessage());
        return false;
    }
    m_host.showWaitWindow();
    std::unique_ptr<AsyncSocket> socket =
        m_socketFactory ? m_socketFactory() : std::make_unique<AsyncSocket>();
    socket->setConnectTimeout(m_timeouts.connect);
    m_connection = std::make_unique<LoginConnection>(static_cast<LoginConnectionHost&>(*this), m_host,
                                                     std::move(socket));
    if (!m_connection->start(m_config.host, m_config.loginPort)) {
        m_host.closeWaitWindow();
        m_notifier.error(ko("네트워크 연결실패! 재시도 바랍니다."));
        closeLoginConnection();
        return false;
    }
    return true;
}

void LoginSession::logout() {
    closeLoginConnection();
    m_state.loggedIn = false;
    m_host.loggedOut();
}

void LoginSession::closeLoginConnection() {
    if (!m_connection)
        return;
    m_retired.retire(std::move(m_connection));
}

void LoginSession::leftHandlerClosed() {
    m_retired.purgeLater();
}

} // namespace qb
