#pragma once

#include "net/AsyncSocket.h"
#include "net/PacketReader.h"
#include "net/Packets.h"
#include "send/SendConnectionHost.h"

#include <QObject>

#include <memory>
#include <optional>
#include <string>

// The client end of the send connection, one per job: it sends the send check,
// reads the server's reply and carries the records the job writes. What each
// event means is its host's business (the job); this class only turns socket
// events into calls on it.
namespace qb {

class SendConnection : public QObject {
    Q_OBJECT

public:
    SendConnection(SendConnectionHost& host, std::unique_ptr<AsyncSocket> socket);
    ~SendConnection() override;

    // False when the system gives no socket.
    bool create();
    void connectToHost(const std::string& host, int port);
    // Closes the socket; nothing is reported after this.
    void close();
    bool isClosed() const { return m_closed; }
    // A message box runs the event loop, so a handler can still be running when
    // the job closes the connection; it is deleted only after.
    bool inHandler() const { return m_handlerDepth > 0; }

    AsyncSocket& socket() { return *m_socket; }
    // The DATA_SENDCHECK as it was handed to the socket, and the last reply read.
    const std::string& sendCheck() const { return m_sendCheck; }
    const std::optional<packet::SendCheckAck>& lastSendCheckAck() const { return m_sendCheckAck; }

private:
    auto handlerScope();

    void onConnect(int error);
    void onReceive();
    void onSend();
    void onClose(int error);

    SendConnectionHost& m_job;
    std::unique_ptr<AsyncSocket> m_socket;
    PacketReader m_reader = PacketReader::forSendConnection();
    bool m_closed = false;
    int m_handlerDepth = 0;
    std::string m_sendCheck;
    std::optional<packet::SendCheckAck> m_sendCheckAck;
};

} // namespace qb
