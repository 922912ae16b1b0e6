#include "net/PacketReader.h"
#include "net/Packets.h"

#include <gtest/gtest.h>

using namespace qb;
using namespace qb::packet;

namespace {

std::string beInt(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16 & 0xFF), static_cast<char>(v >> 8 & 0xFF),
            static_cast<char>(v & 0xFF)};
}

// Drains the reader: "type:size" per packet, "unknown:type" for a refused type.
std::vector<std::string> drain(PacketReader& r) {
    std::vector<std::string> out;
    while (auto p = r.next())
        out.push_back(p->known ? std::to_string(p->type) + ":" + std::to_string(p->bytes.size())
                               : "unknown:" + std::to_string(p->type));
    return out;
}

} // namespace

TEST(PacketReader, APacketSplitAnywhereComesOutWhole) {
    const std::string ack = encodeLoginAck(0, 42, "TAG");
    for (std::size_t cut = 1; cut < ack.size(); ++cut) {
        PacketReader r = PacketReader::forLoginConnection();
        r.append(ack.substr(0, cut));
        EXPECT_FALSE(r.next()) << cut;
        r.append(ack.substr(cut));
        const auto p = r.next();
        ASSERT_TRUE(p) << cut;
        EXPECT_EQ(p->bytes, ack);
        EXPECT_EQ(r.pending(), 0u);
    }
}

TEST(PacketReader, SeveralPacketsInOneReadComeOutInOrder) {
    PacketReader r = PacketReader::forLoginConnection();
    r.append(encodeLoginAck(0, 1, "T") + encodeDeliverAck(5) + encodeSendResult(1, 12) +
             encodeSendResult(0, 0));
    EXPECT_EQ(drain(r), (std::vector<std::string>{"2:32", "100:12", "7:16", "7:16"}));

    // Byte by byte, the same.
    PacketReader slow = PacketReader::forLoginConnection();
    std::vector<std::string> seen;
    for (char c : encodeDeliverAck(5) + encodeSendResult(1, 12)) {
        slow.append(std::string(1, c));
        for (auto& s : drain(slow))
            seen.push_back(s);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"100:12", "7:16"}));
}

TEST(PacketReader, TheHeaderLengthIsNeverRead) {
    // Whatever the server writes as the length, each packet is its table size and
    // the next one follows right after it.
    const std::uint32_t lengths[] = {4, 0, 12, 32, 16, 48, 40, 5, 248, 0x7FFFFFFF, 0xFFFFFFFF};
    for (const std::uint32_t length : lengths) {
        const std::string packets[] = {encodeLoginAck(0, 42, "TAG"), encodeDeliverAck(77),
                                       encodeSendResult(1, 3)};
        std::string stream;
        for (std::string p : packets)
            stream += p.replace(4, 4, beInt(length));
        PacketReader r = PacketReader::forLoginConnection();
        r.append(stream.substr(0, 31));
        EXPECT_FALSE(r.next()) << length;
        r.append(stream.substr(31, 1));
        const auto first = r.next();
        ASSERT_TRUE(first) << length;
        EXPECT_EQ(decodeLoginAck(first->bytes)->userNumber, 42);
        EXPECT_FALSE(r.next()) << length;
        r.append(stream.substr(32));
        const auto second = r.next();
        ASSERT_TRUE(second) << length;
        EXPECT_EQ(decodeDeliverAck(second->bytes)->value, 77) << length;
        const auto third = r.next();
        ASSERT_TRUE(third) << length;
        EXPECT_EQ(decodeSendResult(third->bytes)->count, 3) << length;
        EXPECT_EQ(r.pending(), 0u);

        std::string ack = encodeSendCheckAck(0, "SMS", "2016-09-10 09:05:07", "TAG");
        PacketReader s = PacketReader::forSendConnection();
        s.append(ack.replace(4, 4, beInt(length)));
        const auto reply = s.next();
        ASSERT_TRUE(reply) << length;
        EXPECT_EQ(decodeSendCheckAck(reply->bytes)->sendTag, "TAG");
    }
}

TEST(PacketReader, AnUnknownTypeStopsTheReader) {
    struct Row {
        const char* name;
        std::string stream;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {"type 99 after a good packet",
         encodeDeliverAck(1) + beInt(99) + encodeSendResult(1, 1),
         {"100:12", "unknown:99"}},
        {"type 0", std::string(12, '\0'), {"unknown:0"}},
        // Client packet types are not server packets.
        {"DATA_LOGIN echoed", encodeLogin("a", "b"), {"unknown:1"}},
        {"send-connection reply on the login connection",
         encodeSendCheckAck(0, "a", "b", "c"),
         {"unknown:4"}},
        // Four bytes decide: the type is refused before its length arrives.
        {"bare type", beInt(12345), {"unknown:12345"}},
        {"three bytes", beInt(12345).substr(0, 3), {}},
    };
    for (const Row& row : rows) {
        PacketReader r = PacketReader::forLoginConnection();
        r.append(row.stream);
        EXPECT_EQ(drain(r), row.expected) << row.name;
        r.append(encodeSendResult(1, 1));
        if (!row.expected.empty() && row.expected.back().rfind("unknown", 0) == 0) {
            EXPECT_TRUE(r.stopped()) << row.name;
            EXPECT_FALSE(r.next()) << row.name;
            EXPECT_EQ(r.pending(), 0u);
        }
    }
}

TEST(PacketReader, SendConnectionAcceptsOnlyItsReply) {
    PacketReader r = PacketReader::forSendConnection();
    r.append(encodeSendCheckAck(2, "a", "b", "c") + encodeSendResult(1, 1));
    EXPECT_EQ(drain(r), (std::vector<std::string>{"4:48", "unknown:7"}));
}
