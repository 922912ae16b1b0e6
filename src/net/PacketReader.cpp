#include "net/PacketReader.h"

#include "net/Packets.h"

namespace qb {

PacketReader::PacketReader(std::initializer_list<Accepted> accepted) : m_accepted(accepted) {}

PacketReader PacketReader::forLoginConnection() {
    using namespace packet;
    return PacketReader({{DATA_LOGINACK, kLoginAckSize},
                         {DATA_SENDRESULT, kSendResultSize},
                         {DATA_DELIVERACK, kDeliverAckSize}});
}

PacketReader PacketReader::forSendConnection() {
    return PacketReader({{packet::DATA_SENDCHECKACK, packet::kSendCheckAckSize}});
}

std::size_t PacketReader::sizeOf(std::int32_t type) const {
    for (const Accepted& a : m_accepted)
        if (a.type == type)
            return a.size;
    return 0;
}

void PacketReader::append(std::string_view bytes) {
    if (!m_stopped)
        m_buffer.append(bytes);
}

std::optional<PacketReader::Packet> PacketReader::next() {
    if (m_stopped || m_buffer.size() < 4)
        return std::nullopt;
    const std::int32_t type = packet::readInt(m_buffer, 0);
    const std::size_t size = sizeOf(type);
    if (size == 0) {
        m_stopped = true;
        m_buffer.clear();
        return Packet{type, {}, false};
    }
    if (m_buffer.size() < size)
        return std::nullopt;
    Packet p{type, m_buffer.substr(0, size), true};
    m_buffer.erase(0, size);
    return p;
}

} // namespace qb
