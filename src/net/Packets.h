#pragma once

#include "common/SendTypes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The binary packets of the login and send connections: an 8-byte header (type,
// length) and fixed-width fields, integers big-endian, texts CP949 and NUL-padded.
// Pure functions over bytes; the client's encoders and decoders and, for the
// stand-in service, the other direction.
namespace qb::packet {

enum Type : std::int32_t {
    DATA_LOGIN = 1,
    DATA_LOGINACK = 2,
    DATA_SENDCHECK = 3,
    DATA_SENDCHECKACK = 4,
    DATA_SENDRESULT = 7,
    DATA_DELIVERACK = 100,
};

inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::size_t kLoginSize = 40;
inline constexpr std::size_t kLoginAckSize = 32;
inline constexpr std::size_t kSendCheckSize = 36;
inline constexpr std::size_t kSendCheckAckSize = 48;
inline constexpr std::size_t kSendResultSize = 16;
inline constexpr std::size_t kDeliverAckSize = 12;
// Width of the id and password fields; longer texts do not fit the login packet.
inline constexpr std::size_t kUserIdWidth = 16;
inline constexpr std::size_t kPasswordWidth = 16;
// Widths of the send check reply's texts.
inline constexpr std::size_t kSendCodeWidth = 4;
inline constexpr std::size_t kSendTimeWidth = 24;
inline constexpr std::size_t kSendTagWidth = 8;

// The size of a packet of this type, 0 for a type that is not in the table.
std::size_t sizeOfType(std::int32_t type);

struct Header {
    std::int32_t type = 0;
    std::int32_t length = 0;
};

struct LoginAck {
    Header header;
    std::int32_t result = 0;
    std::int32_t userNumber = 0;
    std::string userTag;
};

struct SendCheckAck {
    Header header;
    std::int32_t result = 0;
    std::string sendCode;
    std::string sendTime;
    std::string sendTag;
};

struct SendResult {
    Header header;
    std::int32_t result = 0;
    std::int32_t count = 0;
};

struct DeliverAck {
    Header header;
    std::int32_t value = 0;
};

struct LoginRequest {
    Header header;
    std::string userId;
    std::string password;
};

struct SendCheck {
    Header header;
    std::int32_t messageKind = 0;
    std::string userId;
    std::int32_t messageCount = 0;
    std::int32_t totalBytes = 0;
};

// Big-endian 32-bit integer at `offset`; the caller checks the size.
std::int32_t readInt(std::string_view bytes, std::size_t offset);
// A text field of a packet: its bytes up to the first NUL inside its width, or the
// whole width when it holds no NUL. Never reads past the field.
std::string readText(std::string_view bytes, std::size_t offset, std::size_t width);

// Client packets. Texts longer than their field are cut at its width; callers
// refuse such input before it gets here.
std::string encodeLogin(std::string_view userId, std::string_view password);
std::string encodeSendCheck(MessageKind kind, std::string_view userId, std::int32_t messageCount,
                            std::int32_t totalBytes);

// Server packets, read by the client. nullopt when `bytes` is shorter than the
// packet; extra bytes are ignored. The type field is not checked.
std::optional<LoginAck> decodeLoginAck(std::string_view bytes);
std::optional<SendCheckAck> decodeSendCheckAck(std::string_view bytes);
std::optional<SendResult> decodeSendResult(std::string_view bytes);
std::optional<DeliverAck> decodeDeliverAck(std::string_view bytes);

// The stand-in service's side. Its texts always end with a NUL inside their field,
// so they are cut one byte short of the width.
std::optional<LoginRequest> decodeLogin(std::string_view bytes);
std::optional<SendCheck> decodeSendCheck(std::string_view bytes);
std::string encodeLoginAck(std::int32_t result, std::int32_t userNumber, std::string_view userTag);
std::string encodeSendCheckAck(std::int32_t result, std::string_view sendCode, std::string_view sendTime,
                               std::string_view sendTag);
std::string encodeSendResult(std::int32_t result, std::int32_t count);
std::string encodeDeliverAck(std::int32_t value);

} // namespace qb::packet
