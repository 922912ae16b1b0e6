#pragma once

#include "net/AsyncSocket.h"
#include "net/LoginConnectionHost.h"
#include "net/PacketReader.h"
#include "net/Packets.h"

#include <QObject>
#include <QTimer>

#include <deque>
#include <memory>
#include <optional>
#include <string>

// The client end of the login connection: sends the login request once, then
// turns every server packet into a change of the login state, the title and a
// message, and writes the system log. Owned by a LoginSession (its
// LoginConnectionHost), which stands for the main window; the window's part goes
// to the session's LoginHost.
namespace qb {

class LoginHost;

class LoginConnection : public QObject {
    Q_OBJECT

public:
    // Pause between a successful login reply and the steps that follow it.
    static constexpr std::chrono::milliseconds kAfterLoginPause{500};

    LoginConnection(LoginConnectionHost& session, LoginHost& host, std::unique_ptr<AsyncSocket> socket);
    ~LoginConnection() override;

    // Creates the socket and starts connecting; false when the socket cannot be
    // created (the user has been told).
    bool start(const std::string& host, int port);
    // Closes the socket; nothing is reported after this.
    void close();
    bool isClosed() const { return m_closed; }
    // A message box runs the event loop, so handlers can run inside one another;
    // the session deletes a closed connection only when none of them is running.
    bool inHandler() const { return m_handlerDepth > 0; }

    const std::optional<packet::LoginAck>& lastLoginAck() const { return m_loginAck; }
    const std::optional<packet::DeliverAck>& lastDeliverAck() const { return m_deliverAck; }
    const std::optional<packet::SendResult>& lastSendResult() const { return m_sendResult; }
    // DATA_SENDRESULT packets received so far, shown or not.
    long long sendResultCount() const { return m_sendResultCount; }

private:
    auto handlerScope();

    void onConnect(int error);
    void onReceive();
    void onClose(int error);
    void sendLoginRequest();
    void handlePackets();
    void handle(const PacketReader::Packet& p);
    void handleLoginAck(const packet::LoginAck& ack);
    void finishLogin();
    void handleSendResult(const packet::SendResult& r);
    void receptionError();
    void loginReplyTimedOut();

    LoginConnectionHost& m_session;
    LoginHost& m_host;
    std::unique_ptr<AsyncSocket> m_socket;
    PacketReader m_reader = PacketReader::forLoginConnection();
    QTimer m_pauseTimer;
    QTimer m_replyTimer; // from the login request to its reply
    bool m_paused = false;
    bool m_closed = false;
    int m_handlerDepth = 0;
    // A send-result message is being shown (its box is open); results that
    // arrive meanwhile wait here and are shown after it, in turn.
    bool m_showingResult = false;
    std::deque<packet::SendResult> m_resultsWaiting;
    std::optional<packet::LoginAck> m_loginAck;
    std::optional<packet::DeliverAck> m_deliverAck;
    std::optional<packet::SendResult> m_sendResult;
    long long m_sendResultCount = 0;
};

} // namespace qb
