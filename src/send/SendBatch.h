#pragma once

#include "common/SendQueue.h"
#include "common/SendTypes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// What a send job sends: the product of a preview, or of a journal a resume
// reads. The form holds it until "전송하기" hands it to the job, which owns it from
// then on: it empties the queue from the front, lowers the byte total to what is
// left when it stops early, and forgets the pictures once it has run to its end.
namespace qb {

// What a preview was built from, as validation reads it. The batch holds these
// inputs only: any difference since makes it stale.
struct PreviewInputs {
    struct Picture {
        std::string path;
        int width = 0, height = 0;
        PictureFingerprint fingerprint;
        bool operator==(const Picture&) const = default;
    };
    MessageKind kind = MessageKind::Sms;
    std::string smsText;
    bool editorOpen = false;
    std::string title, body; // the LMS editor's or the MMS window's; an untouched title is none
    std::array<Picture, 3> pictures;
    std::string callbackNumber;
    int numberColumn = -1;
    std::array<bool, 4> mergeOn{};
    std::array<int, 4> mergeColumns{}; // of the switches on
    bool reserved = false;
    std::array<int, 5> reservation{}; // year, month, day, hour item, minute item
    std::string rangeFrom, rangeTo;
    bool splitOn = false;
    std::string splitCount;
    int splitMinutes = -1;
    bool dedupOn = true, rejectOn = true;
    // "광고" switched on since is a check the batch did not have.
    bool advertising = false;
    std::string adName, adOptOut; // while advertising
    std::uint64_t table = 0;      // the table's generation: a load since brings other recipients

    bool operator==(const PreviewInputs&) const = default;
};

struct SendBatch {
    MessageKind kind = MessageKind::Sms;
    SendQueue queue;
    long long bytes = 0; // what the send check announces
    // The texts validation took from the form, and the pictures an MMS uploads.
    SendSettings settings;
    int pictureCount = 0; // how many of the pictures an MMS uploads
    // What the preview read; none for a batch a journal made.
    std::optional<PreviewInputs> builtFrom;

    const PictureSlots& pictures() const { return settings.pictures; }
};

} // namespace qb
