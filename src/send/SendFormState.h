#pragma once

#include "common/Clock.h"
#include "compose/MessageBuild.h"
#include "import/RecipientTable.h"
#include "send/Chooser.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// What the send form's window shows and the user sets: the recipients loaded,
// the choices of every list, the message and the send settings. The form's
// handlers, its loader and its validation read and write it; what a preview
// produced is a SendBatch apart from it.
namespace qb {

struct SendFormState {
    RecipientTable table;

    Chooser delimiterList;
    std::string delimiterField;
    // "인코딩": what the text files are read as, TextEncoding's order.
    Chooser encodingList;
    // What the last text import read its files as ("UTF-8", "CP949, UTF-16 LE").
    std::string encodingUsed;
    Chooser sheetChooser;
    std::string sheetNameField;

    Chooser numberColumn;
    int previousNumberColumn = -1;
    // The loaded table's header row: its names by column (index 0 is column 1; empty
    // without a header row) and the key its column choices are kept under.
    std::vector<std::string> headerNames;
    std::string headerSignature;
    // Set (qbsend): the first row is the header row, or is not, without asking.
    std::optional<bool> headerRow;
    // The last load chose the number column itself (or as kept for its header).
    bool numberColumnFound = false;
    std::array<Chooser, 4> mergeColumn;
    MergeSwitches mergeOn{};
    Chooser callbackList; // filled by the callback-number code
    // The box is editable: a number typed there that names no item is kept here
    // and is what a send uses while no item is selected.
    std::string callbackTyped;

    MessageKind kind = MessageKind::Sms;
    std::string smsText; // CR LF line breaks
    std::string smsCounter;
    bool smsBoxEnabled = true;
    // "아니요" to the LMS offer holds until the text is back within 90 bytes.
    bool smsLmsDeclined = false;
    // An SMS past 90 bytes is offered as LMS; qbsend keeps the kind it was given.
    bool offerLms = true;
    // "광고": the message is an advertisement, checked against the rules for one.
    bool advertising = false;
    // "광고 설정": the sender's name and the free refusal number (CP949).
    std::string adName, adOptOut;
    // The answer to the night-time question given beforehand (qbsend's
    // --ad-night-consent); unset, the user is asked.
    std::optional<bool> nightConsent;

    bool reserved = false;     // "예약"
    LocalTime reservationDate; // the date picker; only the date is used
    bool reservationDateEnabled = false;
    Chooser reservationHour;
    Chooser reservationMinute;

    std::string rangeFrom, rangeTo;

    bool splitOn = false;
    std::string splitCount;
    bool splitCountEnabled = false;
    Chooser splitMinutes;

    // qbsend --strict: rows the preview would ask about (an empty merge value, a
    // character CP949 cannot hold) refuse it instead.
    bool refuseFindings = false;

    bool dedupOn = true;  // "중복제거"
    bool rejectOn = true; // "자체수신거부"
    bool mergeLock = false;
    bool previewEnabled = true;
    bool sendEnabled = true;
    // The preview is laid out in the table; qbsend, which shows no table, prints the
    // queue itself and leaves the loaded table as it is.
    bool layoutPreview = true;

    // Remembered between imports.
    std::string textFileName;
    std::string workbookPath;
    std::string workbookFileName;
    std::vector<std::string> sheetNames;
};

} // namespace qb
