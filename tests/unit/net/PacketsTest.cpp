#include "net/Packets.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace qb;
using namespace qb::packet;

namespace {

std::string hex(const std::string& bytes) {
    std::string out;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, out.empty() ? "%02X" : " %02X", c);
        out += b;
    }
    return out;
}

std::string unhex(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i + 1 < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

std::string zeros(std::size_t n) {
    return std::string(n, '\0');
}

} // namespace

TEST(Packets, SendCheckForThreeSmsOfUser01) {
    EXPECT_EQ(hex(encodeSendCheck(MessageKind::Sms, "user01", 3, 250)),
              "00 00 00 03 00 00 00 1C 00 00 00 00 75 73 65 72 30 31 00 00 00 00 00 00 00 00 00 00 "
              "00 00 00 03 00 00 00 FA");
    const std::string mms = encodeSendCheck(MessageKind::Mms, "user01", 70000, -1);
    EXPECT_EQ(hex(mms.substr(8, 4)), "00 00 00 02");
    EXPECT_EQ(hex(mms.substr(28)), "00 01 11 70 FF FF FF FF");
}

TEST(Packets, LoginWithSixteenByteIdHasNoNulBeforeThePassword) {
    const std::string p = encodeLogin("abcdefghijklmnop", "pw");
    ASSERT_EQ(p.size(), kLoginSize);
    EXPECT_EQ(p, unhex("00000001 00000020") + "abcdefghijklmnop" + "pw" + zeros(14));
    // Short texts are NUL-padded; anything over the width is cut at it.
    EXPECT_EQ(encodeLogin("user01", "secret"),
              unhex("00000001 00000020") + "user01" + zeros(10) + "secret" + zeros(10));
    EXPECT_EQ(encodeLogin("abcdefghijklmnopq", "0123456789abcdefX").substr(8),
              "abcdefghijklmnop0123456789abcdef");
}

TEST(Packets, LoginAckFields) {
    const std::string bytes = unhex("00000002 00000018 00000000 075BCD15") + "TAG-01" + zeros(10);
    const auto ack = decodeLoginAck(bytes);
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->header.type, 2);
    EXPECT_EQ(ack->header.length, 24);
    EXPECT_EQ(ack->result, 0);
    EXPECT_EQ(ack->userNumber, 123456789);
    EXPECT_EQ(ack->userTag, "TAG-01");
    EXPECT_EQ(encodeLoginAck(0, 123456789, "TAG-01"), bytes);
}

TEST(Packets, TextFieldsStopAtTheFirstNulAndNeverLeaveTheirWidth) {
    struct Row {
        std::string tagField; // the 16 bytes at offset 16
        std::string expected;
    };
    const Row rows[] = {
        {"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP"}, // no NUL: the whole width, not a byte more
        {std::string("AB\0CD", 5) + zeros(11), "AB"},
        {zeros(16), ""},
        {"\xB0\xA1\xB3\xAA" + zeros(12), "\xB0\xA1\xB3\xAA"}, // CP949 bytes pass unchanged
    };
    for (const Row& r : rows) {
        // Bytes after the field must not leak into it.
        const std::string bytes = unhex("00000002 00000018 00000000 00000001") + r.tagField + "TRAILING";
        EXPECT_EQ(decodeLoginAck(bytes)->userTag, r.expected) << hex(r.tagField);
    }
    EXPECT_EQ(readText("abc", 5, 4), "");
    EXPECT_EQ(readText("abcdef", 4, 4), "ef");
}

TEST(Packets, SendCheckAckFields) {
    const std::string bytes = unhex("00000004 00000028 00000000") + "S01" + zeros(1) + "2016-09-10 09:30:00" +
                              zeros(5) + "TAG7" + zeros(4);
    ASSERT_EQ(bytes.size(), kSendCheckAckSize);
    const auto ack = decodeSendCheckAck(bytes);
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->result, 0);
    EXPECT_EQ(ack->sendCode, "S01");
    EXPECT_EQ(ack->sendTime, "2016-09-10 09:30:00");
    EXPECT_EQ(ack->sendTag, "TAG7");
    EXPECT_EQ(encodeSendCheckAck(0, "S01", "2016-09-10 09:30:00", "TAG7"), bytes);
    // Full-width texts without a NUL: each field ends at its width.
    const auto full =
        decodeSendCheckAck(unhex("00000004 00000028 00000002") + "ABCD" + std::string(24, 'T') + "12345678");
    EXPECT_EQ(full->sendCode, "ABCD");
    EXPECT_EQ(full->sendTime, std::string(24, 'T'));
    EXPECT_EQ(full->sendTag, "12345678");
    // The service's encoder always leaves a NUL inside the field.
    EXPECT_EQ(decodeSendCheckAck(encodeSendCheckAck(2, "ABCD", std::string(30, 'T'), "12345678"))->sendTag,
              "1234567");
}

TEST(Packets, SendResultAndDeliverAck) {
    EXPECT_EQ(hex(encodeSendResult(1, 12)), "00 00 00 07 00 00 00 08 00 00 00 01 00 00 00 0C");
    EXPECT_EQ(hex(encodeDeliverAck(-2)), "00 00 00 64 00 00 00 04 FF FF FF FE");
    const auto r = decodeSendResult(unhex("00000007 00000000 00000001 0000000C"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->result, 1);
    EXPECT_EQ(r->count, 12);
    const auto d = decodeDeliverAck(unhex("00000064 00000004 80000000"));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->header.type, 100);
    EXPECT_EQ(d->header.length, 4);
    EXPECT_EQ(d->value, INT32_MIN);
}

TEST(Packets, ClientPacketsDecodeOnTheServiceSide) {
    const auto login = decodeLogin(encodeLogin("user01", "abcdefghijklmnop"));
    ASSERT_TRUE(login);
    EXPECT_EQ(login->header.type, DATA_LOGIN);
    EXPECT_EQ(login->header.length, 32);
    EXPECT_EQ(login->userId, "user01");
    EXPECT_EQ(login->password, "abcdefghijklmnop");
    const auto check = decodeSendCheck(encodeSendCheck(MessageKind::Lms, "user01", 3, 250));
    ASSERT_TRUE(check);
    EXPECT_EQ(check->messageKind, 1);
    EXPECT_EQ(check->userId, "user01");
    EXPECT_EQ(check->messageCount, 3);
    EXPECT_EQ(check->totalBytes, 250);
}

TEST(Packets, EveryTooSmallBufferIsRefused) {
    const std::string login = encodeLogin("u", "p");
    const std::string check = encodeSendCheck(MessageKind::Sms, "u", 1, 1);
    const std::string loginAck = encodeLoginAck(0, 1, "t");
    const std::string checkAck = encodeSendCheckAck(0, "a", "b", "c");
    const std::string result = encodeSendResult(1, 1);
    const std::string deliver = encodeDeliverAck(1);
    for (std::size_t n = 0; n <= 48; ++n) {
        EXPECT_EQ(decodeLogin(login.substr(0, n)).has_value(), n >= kLoginSize) << n;
        EXPECT_EQ(decodeSendCheck(check.substr(0, n)).has_value(), n >= kSendCheckSize) << n;
        EXPECT_EQ(decodeLoginAck(loginAck.substr(0, n)).has_value(), n >= kLoginAckSize) << n;
        EXPECT_EQ(decodeSendCheckAck(checkAck.substr(0, n)).has_value(), n >= kSendCheckAckSize) << n;
        EXPECT_EQ(decodeSendResult(result.substr(0, n)).has_value(), n >= kSendResultSize) << n;
        EXPECT_EQ(decodeDeliverAck(deliver.substr(0, n)).has_value(), n >= kDeliverAckSize) << n;
    }
}

TEST(Packets, SizesByType) {
    const std::pair<std::int32_t, std::size_t> rows[] = {{1, 40},   {2, 32}, {3, 36}, {4, 48}, {7, 16},
                                                         {100, 12}, {0, 0},  {5, 0},  {-1, 0}, {101, 0}};
    for (const auto& [type, size] : rows)
        EXPECT_EQ(sizeOfType(type), size) << type;
}
