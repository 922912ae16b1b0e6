#pragma once

#include "common/LoginState.h"
#include "common/SendTypes.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// One message on the send connection: text fields, each followed by 0x04 except
// the last, which is followed by 0x02. No header, no length, and no escaping: a
// text holding 0x02 or 0x04 would end its record or field early and make the
// server read records nobody composed, and a NUL ends the text for the server.
// The encoders refuse such texts; validation keeps them out of the queue first.
namespace qb {

inline constexpr char kFieldSeparator = 0x04;
inline constexpr char kRecordEnd = 0x02;
// A record's longest length, its end included; the server refuses a longer one.
inline constexpr std::size_t kMaxRecordBytes = 4095;

// False when the text holds a byte no field may carry: 0x00, 0x02 or 0x04.
inline bool fitsInRecord(std::string_view text) {
    // Every record of a job passes through here: eight bytes at a time while none
    // is below 5 (the three bytes refused all are), then byte by byte.
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL, kHighs = 0x8080808080808080ULL;
    const char* p = text.data();
    std::size_t n = text.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        if (((w - kOnes * 5) & ~w & kHighs) != 0)
            break;
    }
    for (std::size_t i = 0; i < n; ++i)
        if (p[i] == '\0' || p[i] == kRecordEnd || p[i] == kFieldSeparator)
            return false;
    return true;
}

// ID + "_" + stamp + "_01.jpg" (slot 1..3): the name a picture is uploaded under
// and the name the records of the job carry.
std::string pictureFileName(const std::string& userId, const std::string& pictureStamp, int slot);

// The texts of a record that go on the wire, without copying them out of the
// send queue.
struct RecordText {
    std::string_view number, callbackNumber, title, body, reservation;
};

inline RecordText recordText(const SendRecord& r) {
    return {r.number, r.callbackNumber, r.title, r.body, r.reservation};
}

// Appends the record's bytes to `out`. `pictures` are the job's slots, filled in
// order; the MMS layout depends on how many hold a picture. False, with nothing
// appended, when any text of the record does not fit in a record (fitsInRecord)
// or the record would be longer than kMaxRecordBytes.
bool appendMessageRecord(std::string& out, MessageKind kind, const RecordText& record,
                         const LoginState& login, const PictureSlots& pictures,
                         std::string_view pictureStamp);

inline bool appendMessageRecord(std::string& out, MessageKind kind, const SendRecord& record,
                                const LoginState& login, const PictureSlots& pictures,
                                std::string_view pictureStamp) {
    return appendMessageRecord(out, kind, recordText(record), login, pictures, pictureStamp);
}

// The record's bytes; empty when it was refused.
inline std::string buildMessageRecord(MessageKind kind, const SendRecord& record, const LoginState& login,
                                      const PictureSlots& pictures, const std::string& pictureStamp) {
    std::string out;
    appendMessageRecord(out, kind, record, login, pictures, pictureStamp);
    return out;
}

// Encodes the records of one job. What every record of the job repeats (the user
// id, the login and check values, the picture fields) is put together once, so a
// record costs a few copies. The bytes are appendMessageRecord's.
class RecordEncoder {
public:
    RecordEncoder() = default;
    RecordEncoder(MessageKind kind, const LoginState& login, const PictureSlots& pictures,
                  std::string_view pictureStamp);
    // The check reply's texts as long as their packet fields allow: a record
    // this encoder finds short enough is short enough whatever the reply says.
    // Validation measures with it before the reply is known.
    static RecordEncoder withLongestReply(MessageKind kind, const LoginState& login,
                                          const PictureSlots& pictures);

    // False when a text every record repeats (the user id, the server's values)
    // does not fit in a record: then no record of the job can be written.
    bool usable() const { return m_usable; }
    // False, with nothing appended, when the encoder is not usable, a text of
    // this record does not fit or the record would pass kMaxRecordBytes.
    bool append(std::string& out, const RecordText& record) const;
    // The record's length in bytes, its end included.
    std::size_t size(const RecordText& record) const;

private:
    bool m_usable = false;
    bool m_withTitle = false;
    std::string m_head;          // ID 0x04
    std::string m_immediateTail; // from the client field to the record's end, 0x02 included
    std::string m_reservedHead;  // the client field and "Y", each with its 0x04
    std::string m_reservedTail;  // 0x04, then from the user number to the record's end
};

// The job's byte total sent in the send check is the sum of these estimates.
std::int64_t estimateRecordBytes(MessageKind kind, const RecordText& record, const LoginState& login,
                                 const PictureSlots& pictures, int pictureCount);

inline std::int64_t estimateRecordBytes(MessageKind kind, const SendRecord& record, const LoginState& login,
                                        const PictureSlots& pictures, int pictureCount) {
    return estimateRecordBytes(kind, recordText(record), login, pictures, pictureCount);
}

} // namespace qb
