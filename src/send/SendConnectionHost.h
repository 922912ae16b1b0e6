#pragma once

#include "net/Packets.h"

#include <string>

// What the send connection asks of the job that owns it: the check it sends,
// and every socket event as the job's business. The connection makes no
// decision of its own.
namespace qb {

class SendConnectionHost {
public:
    virtual ~SendConnectionHost() = default;

    // The DATA_SENDCHECK, once connected.
    virtual std::string sendCheckPacket() const = 0;
    virtual void connectFailed() = 0;
    virtual void checkNotSent() = 0;
    virtual void checkSent() = 0;
    virtual void readFailed() = 0;
    virtual void packetError() = 0;
    virtual void checkReply(const packet::SendCheckAck& ack) = 0;
    virtual void writable() = 0;
    virtual void connectionClosed() = 0;
    // A connection closed under its own handler has left it: it may go now.
    virtual void leftHandlerClosed() = 0;
};

} // namespace qb
