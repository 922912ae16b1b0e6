#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Cuts the byte stream of one connection into server packets, whatever the reads
// made of it: a packet split over several reads waits for its rest, several
// packets in one read come out one by one, in order.
//
// A packet occupies exactly its type's size from the packet table. The header's
// length is never read: servers fill it in different ways (the bytes after the
// header, the whole packet, zero), and trusting it would swallow the next packet
// or wait for bytes that never come. A type this connection does not accept stops
// the reader: the connection is closed on it, so nothing after it is looked at.
namespace qb {

class PacketReader {
public:
    struct Accepted {
        std::int32_t type;
        std::size_t size;
    };

    struct Packet {
        std::int32_t type = 0;
        std::string bytes; // exactly the type's size; empty for an unknown type
        bool known = true;
    };

    explicit PacketReader(std::initializer_list<Accepted> accepted);

    // The login connection's server packets: DATA_LOGINACK, DATA_SENDRESULT, DATA_DELIVERACK.
    static PacketReader forLoginConnection();
    // The send connection's: DATA_SENDCHECKACK.
    static PacketReader forSendConnection();

    void append(std::string_view bytes);
    // The next whole packet, or nullopt until more bytes arrive. An unknown type is
    // returned once (known = false); after it the reader returns nothing.
    std::optional<Packet> next();

    bool stopped() const { return m_stopped; }
    std::size_t pending() const { return m_buffer.size(); }

private:
    std::size_t sizeOf(std::int32_t type) const;

    std::vector<Accepted> m_accepted;
    std::string m_buffer;
    bool m_stopped = false;
};

} // namespace qb
