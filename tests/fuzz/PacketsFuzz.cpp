// Server bytes as they might arrive: cut into reads of fuzzed sizes, reassembled
// and decoded as the login and send connections do.
#include "net/PacketReader.h"
#include "net/Packets.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void check(bool ok) {
    if (!ok)
        __builtin_trap();
}

void decode(const qb::PacketReader::Packet& p) {
    using namespace qb::packet;
    check(p.known ? p.bytes.size() == sizeOfType(p.type) : p.bytes.empty());
    if (!p.known)
        return;
    switch (p.type) {
    case DATA_LOGINACK: {
        const auto ack = decodeLoginAck(p.bytes);
        check(ack && ack->userTag.size() <= 16);
        break;
    }
    case DATA_SENDCHECKACK: {
        const auto ack = decodeSendCheckAck(p.bytes);
        check(ack && ack->sendCode.size() <= 4 && ack->sendTime.size() <= 24 && ack->sendTag.size() <= 8);
        break;
    }
    case DATA_SENDRESULT:
        check(decodeSendResult(p.bytes).has_value());
        break;
    case DATA_DELIVERACK:
        check(decodeDeliverAck(p.bytes).has_value());
        break;
    default:
        check(false); // a known packet of a type no connection accepts
    }
}

void feed(qb::PacketReader reader, std::string_view cuts, std::string_view stream) {
    std::size_t c = 0;
    while (!stream.empty()) {
        // Reads are 1..256 bytes, as a socket read of the client's buffer is.
        const std::size_t n = std::min<std::size_t>(
            stream.size(), c < cuts.size() ? 1 + static_cast<unsigned char>(cuts[c++]) : 256);
        reader.append(stream.substr(0, n));
        stream.remove_prefix(n);
        while (auto p = reader.next())
            decode(*p);
        // What is left is part of one packet.
        check(reader.pending() < qb::packet::kSendCheckAckSize);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    // The first byte says how many of the next bytes are read sizes.
    const std::size_t cutCount =
        all.empty() ? 0 : std::min<std::size_t>(static_cast<unsigned char>(all[0]) % 16, all.size() - 1);
    const std::string_view cuts = all.substr(all.empty() ? 0 : 1, cutCount);
    const std::string_view stream = all.substr(all.empty() ? 0 : 1 + cutCount);

    feed(qb::PacketReader::forLoginConnection(), cuts, stream);
    feed(qb::PacketReader::forSendConnection(), cuts, stream);

    // The decoders on their own, at every length, including the service's side.
    using namespace qb::packet;
    check(decodeLoginAck(stream).has_value() == (stream.size() >= kLoginAckSize));
    check(decodeSendCheckAck(stream).has_value() == (stream.size() >= kSendCheckAckSize));
    check(decodeSendResult(stream).has_value() == (stream.size() >= kSendResultSize));
    check(decodeDeliverAck(stream).has_value() == (stream.size() >= kDeliverAckSize));
    if (const auto login = decodeLogin(stream))
        check(login->userId.size() <= kUserIdWidth && login->password.size() <= kPasswordWidth);
    if (const auto sc = decodeSendCheck(stream))
        check(sc->userId.size() <= kUserIdWidth);
    return 0;
}
