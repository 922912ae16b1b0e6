#pragma once

#include "common/SendTypes.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The stand-in's reading of the records a send connection carries: the byte
// stream is cut at each 0x02, whatever pieces it arrives in, and every record is
// checked against its job (kind, user, the values the check reply handed out)
// before it is taken. Strict on purpose: a record the real service would
// misread is refused with the reason.
namespace qbs {

// What the records of one job must carry.
struct RecordContext {
    qb::MessageKind kind = qb::MessageKind::Sms;
    std::string userId;
    std::string userNumber; // decimal text
    std::string userTag;
    std::string sendCode;
    std::string sendTime;
    std::string sendTag;
};

// One record taken apart. Texts are the record's bytes.
struct ReceivedRecord {
    std::string raw; // the whole record, its closing 0x02 included
    std::string number;
    std::string callback;
    std::string title; // LMS and MMS
    std::string body;
    bool reserved = false;
    std::string when;                    // the reservation, or the send time of an immediate record
    std::array<std::string, 3> pictures; // MMS file names, empty when the slot is unused
    std::array<std::string, 6> sizes;    // W1 H1 W2 H2 W3 H3 as sent
    std::string pictureStamp;            // MMS: the stamp the file names carry
};

class RecordParser {
public:
    static constexpr std::size_t kMaxRecordBytes = 4095;

    explicit RecordParser(RecordContext context);

    void append(std::string_view bytes);

    struct Result {
        std::optional<ReceivedRecord> record; // set when the record is good
        std::string error;                    // why it was refused otherwise
    };
    // The next record, good or refused, or nullopt until a 0x02 arrives.
    std::optional<Result> next();

    // Bytes after the last record's 0x02: a record the stream ended inside.
    std::size_t pendingBytes() const { return m_buffer.size() - m_start; }

    // Checks one record (its bytes without the closing 0x02).
    Result parse(std::string_view record);

private:
    // Why the fields every kind carries do not fit the job, or empty.
    std::string checkJobFields(const std::vector<std::string_view>& f) const;
    // An MMS record's picture names and sizes into `r`; why they do not fit, or empty.
    std::string takePictures(const std::vector<std::string_view>& f, ReceivedRecord& r);

    RecordContext m_context;
    std::string m_buffer;
    std::size_t m_start = 0; // m_buffer before it is consumed
    std::size_t m_scan = 0;  // searched up to here for the next 0x02
    bool m_skipping = false; // inside an over-long record, up to its 0x02
    std::string m_jobStamp;  // the picture stamp of the job's first MMS record
};

} // namespace qbs
