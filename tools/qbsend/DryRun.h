#pragma once

#include "common/Notifier.h"
#include "common/SendTypes.h"
#include "import/TextEncoding.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// qbsend --dry-run: loads recipients and settings as the send form would, runs the
// same validation and prints what would be sent. Option texts are UTF-8; output is
// UTF-8. Nothing is sent.
namespace qb {

struct DryRunOptions {
    std::string workingFolder = "."; // its msg/RAZIDODU.ini holds the reject lists
    std::vector<std::string> textFiles;
    std::optional<std::string> delimiter; // the delimiter field; none: single column
    TextEncoding encoding = TextEncoding::Auto;
    // Told what the text files were read as ("qbsend: encoding: UTF-8"); standard
    // output stays the job's alone.
    std::ostream* encodingLog = nullptr;
    std::string excelFile;
    int sheet = 0;                           // from 1
    int numberColumn = 0;                    // 0: the column found in the recipients, told to `note`
    bool header = false;                     // the first row is the header row (never asked)
    std::vector<std::pair<int, int>> merges; // <@K@> -> column
    std::vector<std::pair<int, std::string>> mergeNames; // <@K@> -> the header's column of that name
    // Where a choice made without being asked is told (qbsend: standard error).
    std::function<void(const std::string&)> note;
    MessageKind kind = MessageKind::Sms;
    std::string callback;
    std::optional<std::string> message;
    std::optional<std::string> messageFile;
    std::optional<std::string> title;
    std::vector<std::string> pictures;
    std::optional<std::string> reserve; // "YYYY-MM-DD HH:MM"
    std::optional<std::pair<std::string, std::string>> range;
    std::optional<std::pair<std::string, std::string>> split; // count, minutes
    bool dedup = true;
    bool reject = true;
    std::optional<std::string> excludedFile; // the rows left out, written as CSV
    bool strict = false;                     // the preview's findings refuse instead of asking
    bool advertising = false;
    std::string adName; // UTF-8
    std::string adOptOut;
    // An advertisement's records sent at night are let through without a question.
    bool nightConsent = false;
};

// 0 after printing the summary's five lines and one TAB-separated line per queued
// record (row, number as previewed, callback, title for LMS/MMS, display body,
// reservation); 1 when loading or validation refused (its message went to `notifier`).
// `outFd` is the file descriptor behind `out` when there is one: a big output to a
// file is then written behind (see WriteBehind).
// `err` is told what a run without a login leaves unchecked.
int runDryRun(const DryRunOptions& options, Notifier& notifier, std::ostream& out, int outFd = -1,
              std::ostream* err = nullptr);

class SendForm;
// Rows [first, last) of the form's queue as the preview shows them (row number,
// number as previewed, callback, title for LMS/MMS, display body, reservation),
// TAB-separated, each ending in a line break, as CP949 into `rows`.
void previewRows(const SendForm& form, std::size_t first, std::size_t last, std::string& rows);

// A message as the edit box holds it: UTF-8 to CP949, every line break as CR LF.
// `unmappable`, when given, counts the characters CP949 cannot hold (written as '?').
std::string messageFromUtf8(std::string_view utf8, std::size_t* unmappable = nullptr);

} // namespace qb
