#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>

// The records that travel from the recipient table through validation to the
// send connection. All texts are CP949.
namespace qb {

enum class MessageKind : int { Sms = 0, Lms = 1, Mms = 2 };

// The bytes of a picture file as they were when the picture was checked.
struct PictureFingerprint {
    std::uint64_t bytes = 0;
    std::string sha256; // raw digest; empty: never checked
    bool operator==(const PictureFingerprint&) const = default;
};

// One MMS picture: an empty path means an empty slot.
struct PictureSlot {
    PictureSlot() = default;
    PictureSlot(std::string path, int width, int height, PictureFingerprint fingerprint = {})
        : path(std::move(path)), width(width), height(height), fingerprint(std::move(fingerprint)) {}

    std::string path;
    int width = 0;
    int height = 0;
    PictureFingerprint fingerprint; // what the upload must still find at `path`
    bool empty() const { return path.empty(); }
};
using PictureSlots = std::array<PictureSlot, 3>;

// One valid row of the recipient table.
struct RecipientEntry {
    long long seq = 0;                // 1-based position among the valid rows, in table order
    std::string number;               // the number cell, unchanged
    std::array<std::string, 4> merge; // <@1@>..<@4@>; only switched-on fields are filled
};

// One composed message for one recipient.
struct SendRecord {
    std::string body;  // after merge substitution, CR LF -> LF
    std::string title; // LMS/MMS; empty for SMS
    std::string callbackNumber;
    std::string number;
    std::string reservation; // "즉시전송" (CP949) or "YYYY-MM-DD HH:MM:SS"
    std::string displayBody; // after substitution, CR LF -> two spaces
};

// The job's settings, collected by validation and held by the main frame.
struct SendSettings {
    std::string smsBody;
    std::string longBody;
    std::string title;
    PictureSlots pictures;
    std::string callbackNumber;
    std::array<std::string, 4> mergeColumn;
    std::string rangeFrom, rangeTo;
    std::string splitCount, splitMinutes;
    std::string reservationDate, reservationHour, reservationMinute;

    void resetPictures() { pictures = PictureSlots{}; }
};

// "즉시전송", the reservation text of an immediate send.
const std::string& immediateReservation();

} // namespace qb
