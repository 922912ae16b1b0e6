#include "net/Packets.h"

#include <algorithm>
#include <cstring>

namespace qb::packet {
namespace {

void putInt(std::string& out, std::size_t offset, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    out[offset] = static_cast<char>((v >> 24) & 0xFF);
    out[offset + 1] = static_cast<char>((v >> 16) & 0xFF);
    out[offset + 2] = static_cast<char>((v >> 8) & 0xFF);
    out[offset + 3] = static_cast<char>(v & 0xFF);
}

void putText(std::string& out, std::size_t offset, std::size_t width, std::string_view text) {
    const std::size_t n = std::min(text.size(), width);
    std::memcpy(out.data() + offset, text.data(), n);
}

// Zero-filled packet with its header; `length` counts the bytes after the header.
std::string blank(std::int32_t type, std::size_t size) {
    std::string out(size, '\0');
    putInt(out, 0, type);
    putInt(out, 4, static_cast<std::int32_t>(size - kHeaderSize));
    return out;
}

Header header(std::string_view bytes) {
    return {readInt(bytes, 0), readInt(bytes, 4)};
}

} // namespace

std::size_t sizeOfType(std::int32_t type) {
    switch (type) {
    case DATA_LOGIN:
        return kLoginSize;
    case DATA_LOGINACK:
        return kLoginAckSize;
    case DATA_SENDCHECK:
        return kSendCheckSize;
    case DATA_SENDCHECKACK:
        return kSendCheckAckSize;
    case DATA_SENDRESULT:
        return kSendResultSize;
    case DATA_DELIVERACK:
        return kDeliverAckSize;
    default:
        return 0;
    }
}

std::int32_t readInt(std::string_view bytes, std::size_t offset) {
    const auto b = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]));
    };
    return static_cast<std::int32_t>(b(offset) << 24 | b(offset + 1) << 16 | b(offset + 2) << 8 |
                                     b(offset + 3));
}

std::string readText(std::string_view bytes, std::size_t offset, std::size_t width) {
    if (offset >= bytes.size())
        return {};
    const std::string_view field = bytes.substr(offset, width);
    return std::string(field.substr(0, field.find('\0')));
}

std::string encodeLogin(std::string_view userId, std::string_view password) {
    std::string out = blank(DATA_LOGIN, kLoginSize);
    putText(out, 8, kUserIdWidth, userId);
    putText(out, 24, kPasswordWidth, password);
    return out;
}

std::string encodeSendCheck(MessageKind kind, std::string_view userId, std::int32_t messageCount,
                            std::int32_t totalBytes) {
    std::string out = blank(DATA_SENDCHECK, kSendCheckSize);
    putInt(out, 8, static_cast<std::int32_t>(kind));
    putText(out, 12, kUserIdWidth, userId);
    putInt(out, 28, messageCount);
    putInt(out, 32, totalBytes);
    return out;
}

std::optional<LoginAck> decodeLoginAck(std::string_view bytes) {
    if (bytes.size() < kLoginAckSize)
        return std::nullopt;
    return LoginAck{header(bytes), readInt(bytes, 8), readInt(bytes, 12), readText(bytes, 16, 16)};
}

std::optional<SendCheckAck> decodeSendCheckAck(std::string_view bytes) {
    if (bytes.size() < kSendCheckAckSize)
        return std::nullopt;
    return SendCheckAck{header(bytes), readInt(bytes, 8), readText(bytes, 12, kSendCodeWidth),
                        readText(bytes, 16, kSendTimeWidth), readText(bytes, 40, kSendTagWidth)};
}

std::optional<SendResult> decodeSendResult(std::string_view bytes) {
    if (bytes.size() < kSendResultSize)
        return std::nullopt;
    return SendResult{header(bytes), readInt(bytes, 8), readInt(bytes, 12)};
}

std::optional<DeliverAck> decodeDeliverAck(std::string_view bytes) {
    if (bytes.size() < kDeliverAckSize)
        return std::nullopt;
    return DeliverAck{header(bytes), readInt(bytes, 8)};
}

std::optional<LoginRequest> decodeLogin(std::string_view bytes) {
    if (bytes.size() < kLoginSize)
        return std::nullopt;
    return LoginRequest{header(bytes), readText(bytes, 8, kUserIdWidth), readText(bytes, 24, kPasswordWidth)};
}

std::optional<SendCheck> decodeSendCheck(std::string_view bytes) {
    if (bytes.size() < kSendCheckSize)
        return std::nullopt;
    return SendCheck{header(bytes), readInt(bytes, 8), readText(bytes, 12, kUserIdWidth), readInt(bytes, 28),
                     readInt(bytes, 32)};
}

std::string encodeLoginAck(std::int32_t result, std::int32_t userNumber, std::string_view userTag) {
    std::string out = blank(DATA_LOGINACK, kLoginAckSize);
    putInt(out, 8, result);
    putInt(out, 12, userNumber);
    putText(out, 16, 15, userTag);
    return out;
}

std::string encodeSendCheckAck(std::int32_t result, std::string_view sendCode, std::string_view sendTime,
                               std::string_view sendTag) {
    std::string out = blank(DATA_SENDCHECKACK, kSendCheckAckSize);
    putInt(out, 8, result);
    putText(out, 12, 3, sendCode);
    putText(out, 16, 23, sendTime);
    putText(out, 40, 7, sendTag);
    return out;
}

std::string encodeSendResult(std::int32_t result, std::int32_t count) {
    std::string out = blank(DATA_SENDRESULT, kSendResultSize);
    putInt(out, 8, result);
    putInt(out, 12, count);
    return out;
}

std::string encodeDeliverAck(std::int32_t value) {
    std::string out = blank(DATA_DELIVERACK, kDeliverAckSize);
    putInt(out, 8, value);
    return out;
}

} // namespace qb::packet
