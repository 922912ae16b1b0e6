#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// qbsend's command line. Values are kept as given (UTF-8); the runner turns
// texts into CP949.
namespace qbsend {

struct Options {
    std::string workdir = ".";
    std::optional<std::string> host;
    std::optional<int> loginPort;
    std::optional<int> sendPort;
    std::optional<int> webPort;
    std::string id;
    std::string password;
    // Ways that keep the password out of the process list.
    std::optional<std::string> passwordFile; // --password-file FILE
    bool passwordFromStdin = false;          // --password -
    bool help = false;

    // --dry-run: load, validate and print what would be sent.
    bool dryRun = false;
    std::vector<std::string> textFiles;
    std::optional<std::string> delimiter; // "csv" in any case is given as "CSV"
    std::string encoding;                 // --encoding: utf-8, cp949, utf-16; empty: found
    std::string excelFile;
    int sheet = 0;
    int numberColumn = 0;
    bool header = false; // --header: the first row is the header row
    std::vector<std::pair<int, int>> merges;
    std::vector<std::pair<int, std::string>> mergeNames; // --merge K=NAME: a header's column
    std::string kind = "sms";
    std::string callback;
    std::optional<std::string> message;
    std::optional<std::string> messageFile;
    std::optional<std::string> title;
    std::vector<std::string> pictures;
    std::optional<std::string> reserve;
    std::optional<std::pair<std::string, std::string>> range;
    std::optional<std::pair<std::string, std::string>> split;
    bool noDedup = false;
    bool noReject = false;
    std::optional<std::string> excludedFile; // --excluded FILE: the rows left out, as CSV
    bool strict = false;                     // --strict: empty merge values and '?' refuse
    // --ad: an advertisement, with its sender's name and free refusal number.
    bool advertising = false;
    std::string adName;
    std::string adOptOut;
    bool adNightConsent = false;

    // How long a send waits for the server's result once the job is written.
    int waitSeconds = 60;
    bool waitGiven = false;
    // How long to wait for a reply of the message server, and for a full socket
    // to take data again (seconds; the client's defaults when not given).
    std::optional<int> replyTimeout;
    std::optional<int> writeTimeout;

    // --resume: the rest of this user's interrupted job in the working folder.
    bool resume = false;
    // --set-aside FILE: a journal moved to sendjob/set-aside (no login).
    std::optional<std::string> setAside;
    // What to do with records the service may or may not have taken.
    std::optional<bool> resendUncertain; // --resend-uncertain / --skip-uncertain

    // Recipients were given: without --dry-run the job is sent.
    bool hasJob() const { return !textFiles.empty() || !excelFile.empty(); }
};

struct ParsedOptions {
    Options options;
    std::string error; // empty when the arguments are good
    bool ok() const { return error.empty(); }
};

// "--name value" and "--name=value" alike. Without a password option the
// password is `environmentPassword` (QBSEND_PASSWORD) when that is not empty.
ParsedOptions parseOptions(const std::vector<std::string>& args, const char* environmentPassword = nullptr);
// Reads the password from --password-file or standard input into `password`;
// returns an error text, empty when the password is there.
std::string readPassword(Options& options, std::istream& in);
std::string usage();

} // namespace qbsend
