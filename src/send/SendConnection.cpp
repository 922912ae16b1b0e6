#include "send/SendConnection.h"

#include "net/HandlerScope.h"

namespace qb {

// Deletes the connection later when it was closed under its handlers.
auto SendConnection::handlerScope() {
    return HandlerScope(m_handlerDepth, [this] {
        if (m_closed)
            m_job.leftHandlerClosed();
    });
}

SendConnection::SendConnection(SendConnectionHost& host, std::unique_ptr<AsyncSocket> socket)
    : m_job(host), m_socket(std::move(socket)) {
    connect(m_socket.get(), &AsyncSocket::connected, this, &SendConnection::onConnect);
    connect(m_socket.get(), &AsyncSocket::readable, this, &SendConnection::onReceive);
    connect(m_socket.get(), &AsyncSocket::writable, this, &SendConnection::onSend);
    connect(m_socket.get(), &AsyncSocket::closed, this, &SendConnection::onClose);
}

SendConnection::~SendConnection() {
    close();
}

bool SendConnection::create() {
    return m_socket->create();
}

void SendConnection::connectToHost(const std::string& host, int port) {
    m_socket->connectToHost(host, port);
}

void SendConnection::close() {
    m_closed = true;
    m_socket->close();
}

void SendConnection::onConnect(int error) {
    const auto scope = handlerScope();
    if (error != 0) {
        m_job.connectFailed();
        return;
    }
    m_sendCheck = m_job.sendCheckPacket();
    if (m_socket->send(m_sendCheck.data(), m_sendCheck.size()) != static_cast<long>(m_sendCheck.size())) {
        m_job.checkNotSent();
        return;
    }
    m_job.checkSent();
}

void SendConnection::onReceive() {
    const auto scope = handlerScope();
    char buffer[AsyncSocket::kReceiveMax];
    const long n = m_socket->receive(buffer, sizeof buffer);
    if (n < 0) {
        if (!m_socket->wouldBlock())
            m_job.readFailed();
        return;
    }
    // No bytes means the peer has closed; its close notification follows.
    if (n == 0)
        return;
    m_reader.append(std::string_view(buffer, static_cast<std::size_t>(n)));
    while (!m_closed) {
        const std::optional<PacketReader::Packet> p = m_reader.next();
        if (!p)
            return;
        if (!p->known) {
            m_job.packetError();
            return;
        }
        m_sendCheckAck = packet::decodeSendCheckAck(p->bytes);
        m_job.checkReply(*m_sendCheckAck);
    }
}

void SendConnection::onSend() {
    const auto scope = handlerScope();
    if (!m_closed)
        m_job.writable();
}

void SendConnection::onClose(int) {
    const auto scope = handlerScope();
    if (!m_closed)
        m_job.connectionClosed();
}

} // namespace qb
