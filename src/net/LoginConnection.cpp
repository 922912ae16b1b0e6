#include "net/LoginConnection.h"

#include "net/HandlerScope.h"

#include "app/SystemLog.h"
#include "common/Cp949.h"
#include "common/LoginState.h"
#include "common/Notifier.h"
#include "net/LoginHost.h"

namespace qb {

// Deletes the connection later when it was closed under its handlers.
auto LoginConnection::handlerScope() {
    return HandlerScope(m_handlerDepth, [this] {
        if (m_closed)
            m_session.leftHandlerClosed();
    });
}

LoginConnection::LoginConnection(LoginConnectionHost& session, LoginHost& host,
                                 std::unique_ptr<AsyncSocket> socket)
    : m_session(session), m_host(host), m_socket(std::move(socket)) {
    m_pauseTimer.setSingleShot(true);
    connect(&m_pauseTimer, &QTimer::timeout, this, &LoginConnection::finishLogin);
    m_replyTimer.setSingleShot(true);
    connect(&m_replyTimer, &QTimer::timeout, this, &LoginConnection::loginReplyTimedOut);
    connect(m_socket.get(), &AsyncSocket::connected, this, &LoginConnection::onConnect);
    connect(m_socket.get(), &AsyncSocket::readable, this, &LoginConnection::onReceive);
    connect(m_socket.get(), &AsyncSocket::closed, this, &LoginConnection::onClose);
}

LoginConnection::~LoginConnection() {
    close();
}

bool LoginConnection::start(const std::string& host, int port) {
    if (!m_socket->create())
        return false;
    m_socket->connectToHost(host, port);
    return true;
}

void LoginConnection::close() {
    m_closed = true;
    m_pauseTimer.stop();
    m_replyTimer.stop();
    m_socket->close();
}

void LoginConnection::onConnect(int error) {
    const auto scope = handlerScope();
    if (error == 0) {
        m_session.log().write(ko("Socket 연결성공..."));
        sendLoginRequest();
        return;
    }
    m_host.closeWaitWindow();
    m_session.log().write(ko("Socket 연결실패...다시 시도바랍니다. "));
    m_session.notifier().error(ko("서버 접속실패 ::: 인터넷설정을 확인하세요."));
    m_session.closeLoginConnection();
}

void LoginConnection::sendLoginRequest() {
    const LoginState& state = m_session.state();
    const std::string request = packet::encodeLogin(state.userId, state.password);
    if (m_socket->send(request.data(), request.size()) == static_cast<long>(request.size())) {
        m_session.log().write(ko("로그인 정보 전송..."));
        m_replyTimer.start(m_session.timeouts().loginReply);
        return;
    }
    // The connection stays; the next login closes it first.
    m_host.closeWaitWindow();
    m_session.log().write(ko("SOCK_ERROR...send()-(프로그램 종료)"));
    m_session.notifier().error(ko("서버 접속실패! 다시 시도하세요."));
}

void LoginConnection::onReceive() {
    const auto scope = handlerScope();
    char buffer[AsyncSocket::kReceiveMax];
    const long n = m_socket->receive(buffer, sizeof buffer);
    if (n < 0) {
        if (m_socket->wouldBlock())
            return;
        m_session.log().write(ko("SOCKET (rcv()) ERROR. "));
        m_session.notifier().error(ko("네트워크 에러! ::: 네트워크 환경을 확인하세요."));
        return;
    }
    // No bytes means the peer has closed; its close notification follows.
    if (n == 0)
        return;
    m_reader.append(std::string_view(buffer, static_cast<std::size_t>(n)));
    handlePackets();
}

void LoginConnection::handlePackets() {
    while (!m_closed && !m_paused) {
        const std::optional<PacketReader::Packet> p = m_reader.next();
        if (!p)
            return;
        handle(*p);
    }
}

void LoginConnection::handle(const PacketReader::Packet& p) {
    if (!p.known) {
        receptionError();
        return;
    }
    switch (p.type) {
    case packet::DATA_LOGINACK:
        m_replyTimer.stop();
        m_loginAck = packet::decodeLoginAck(p.bytes);
        handleLoginAck(*m_loginAck);
        break;
    case packet::DATA_DELIVERACK:
        m_deliverAck = packet::decodeDeliverAck(p.bytes);
        m_session.log().write(ko("m_DATA_DELIVERACK 패킷수신 "));
        break;
    case packet::DATA_SENDRESULT:
        m_sendResult = packet::decodeSendResult(p.bytes);
        ++m_sendResultCount;
        handleSendResult(*m_sendResult);
        break;
    default:
        receptionError();
        break;
    }
}

void LoginConnection::handleLoginAck(const packet::LoginAck& ack) {
    LoginState& state = m_session.state();
    switch (ack.result) {
    case 0:
        state.loggedIn = true;
        state.userNumber = std::to_string(ack.userNumber);
        state.userTag = ack.userTag;
        // The pause must not stop the event loop; packets and a close that arrive
        // meanwhile wait until the after-login steps have run, as they would
        // behind a blocking pause.
        m_paused = true;
        m_socket->setEvents(AsyncSocket::NoEvents);
        m_pauseTimer.start(kAfterLoginPause);
        break;
    case 1:
        m_host.closeWaitWindow();
        state.loggedIn = false;
        m_session.notifier().info(ko("이미 로그인 되어 있습니다.!"));
        m_session.closeLoginConnection();
        break;
    case 2:
        m_host.closeWaitWindow();
        state.loggedIn = false;
        m_session.notifier().error(ko("로그인 실패. 계정정보를 확인하세요!"));
        m_session.closeLoginConnection();
        break;
    default:
        receptionError();
        break;
    }
}

void LoginConnection::finishLogin() {
    const auto scope = handlerScope();
    m_paused = false;
    m_host.closeWaitWindow();
    m_host.loggedIn();
    m_host.runAfterLoginSteps();
    if (m_closed)
        return;
    m_socket->setEvents(AsyncSocket::AllEvents);
    handlePackets();
}

void LoginConnection::handleSendResult(const packet::SendResult& r) {
    if (!m_host.sendResultArrived(r.result, r.count)) {
        m_session.log().write(ko("m_DATA_SENDRESULT 패킷수신 결과[") + std::to_string(r.result) +
                              ko("] 건수[") + std::to_string(r.count) + "] ");
        return;
    }
    // A result's box runs the event loop while it is open, and more results are
    // read meanwhile: showing each at once would stack boxes inside one another,
    // so they wait (logged as they come) and follow one after the other. Every
    // count reaches the user, also when the connection closed meanwhile.
    m_resultsWaiting.push_back(r);
    if (m_showingResult) {
        m_session.log().write(ko("m_DATA_SENDRESULT 패킷수신 결과[") + std::to_string(r.result) +
                              ko("] 건수[") + std::to_string(r.count) + "] ");
        return;
    }
    m_showingResult = true;
    while (!m_resultsWaiting.empty()) {
        const packet::SendResult next = m_resultsWaiting.front();
        m_resultsWaiting.pop_front();
        if (next.result != 1) {
            m_session.notifier().error(ko("데이터 전송에 실패하였습니다. 다시 시도하세요!"));
            continue;
        }
        // A closed connection's user is logged out: there is no balance to fetch.
        if (!m_closed)
            m_host.refreshBalance();
        m_session.notifier().info(ko("총 ") + "[" + std::to_string(next.count) + "] " +
                                  ko("건 전송이 완료되었습니다."));
    }
    m_showingResult = false;
}

void LoginConnection::receptionError() {
    m_host.closeWaitWindow();
    m_session.state().loggedIn = false;
    m_session.notifier().error(ko("데이터 수신에러. 프로그램을 다시 실행하세요!"));
    m_session.closeLoginConnection();
}

void LoginConnection::loginReplyTimedOut() {
    const auto scope = handlerScope();
    // A server that takes the request and never answers would keep the wait
    // window up for good.
    m_host.closeWaitWindow();
    m_session.state().loggedIn = false;
    m_session.log().write(ko("로그인 응답 없음...다시 시도바랍니다. "));
    m_session.notifier().error(ko("서버 응답이 없습니다. 잠시 후 다시 시도하세요."));
    m_session.closeLoginConnection();
}

void LoginConnection::onClose(int) {
    const auto scope = handlerScope();
    const bool wasLoggedIn = m_session.state().loggedIn;
    // Unlike a login reply, a close before it used to leave the wait window open
    // for good; the attempt is over, so the window goes.
    m_host.closeWaitWindow();
    m_host.closedByServer();
    m_session.state().loggedIn = false;
    m_session.closeLoginConnection();
    if (wasLoggedIn)
        m_session.notifier().error(ko("서버연결이 종료되었습니다.!"));
}

} // namespace qb
