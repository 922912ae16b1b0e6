#include "Options.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "compose/AdvertisingSettings.h"

#include <fstream>
#include <functional>
#include <istream>

namespace qbsend {
namespace {

struct OptionDef {
    const char* name;
    const char* value; // nullptr for a switch
    const char* help;
    // Returns an error text, empty when the value is good.
    std::function<std::string(Options&, const std::string&)> apply;
    // Options of two values ("--range FROM TO") use this instead.
    std::function<std::string(Options&, const std::string&, const std::string&)> apply2 = nullptr;
    bool sendOption = false; // describes a job: needs recipients
};

std::string positive(int& target, const std::string& value) {
    long long v = 0;
    if (!qb::bytes::parseDecimal(value, v) || v < 1 || v > 1000000)
        return "a number from 1";
    target = static_cast<int>(v);
    return {};
}

std::string merge(Options& o, const std::string& value) {
    const std::size_t eq = value.find('=');
    long long k = 0, c = 0;
    static const std::string wanted = "K=C with K from 1 to 4 and a column C from 1";
    if (eq == std::string::npos || !qb::bytes::parseDecimal(value.substr(0, eq), k) || k < 1 || k > 4 ||
        eq + 1 == value.size())
        return wanted;
    const std::string column = value.substr(eq + 1);
    // Digits alone are a column's number; a header row may name columns so too.
    if (qb::bytes::parseDecimal(column, c)) {
        if (c < 1 || c > 1000000)
            return wanted;
        o.merges.emplace_back(static_cast<int>(k), static_cast<int>(c));
    } else {
        if (!qb::cp949::fromUtf8(column).ok())
            return wanted;
        o.mergeNames.emplace_back(static_cast<int>(k), column);
    }
    return {};
}

std::string port(std::optional<int>& target, const std::string& value) {
    long long v = 0;
    if (!qb::bytes::parseDecimal(value, v) || v < 1 || v > 65535)
        return "a port number (1..65535)";
    target = static_cast<int>(v);
    return {};
}

std::string seconds(std::optional<int>& target, const std::string& value) {
    long long v = 0;
    if (!qb::bytes::parseDecimal(value, v) || v < 1 || v > 86400)
        return "a number of seconds from 1 to 86400";
    target = static_cast<int>(v);
    return {};
}

std::string text(std::string& target, const std::string& value) {
    if (value.empty())
        return "a non-empty value";
    target = value;
    return {};
}

std::string lowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Texts that go into what is sent: a character CP949 cannot hold would go as '?'.
constexpr const char* kNotCp949 = "text that CP949 can hold";
bool holdsCp949(const std::string& value) {
    return qb::cp949::fromUtf8(value).ok();
}

const std::vector<OptionDef>& optionTable() {
    static const std::vector<OptionDef> table = {
        {"--workdir", "DIR", "working folder: service.ini, Env.cfg, LOG, msg, imgtemp (default: .)",
         [](Options& o, const std::string& v) { return text(o.workdir, v); }},
        {"--host", "HOST", "service host (overrides service.ini)",
         [](Options& o, const std::string& v) {
             std::string h;
             std::string e = text(h, v);
             o.host = h;
             return e;
         }},
        {"--login-port", "N", "login port (overrides service.ini)",
         [](Options& o, const std::string& v) { return port(o.loginPort, v); }},
        {"--send-port", "N", "send port (overrides service.ini)",
         [](Options& o, const std::string& v) { return port(o.sendPort, v); }},
        {"--web-port", "N", "web port (overrides service.ini)",
         [](Options& o, const std::string& v) { return port(o.webPort, v); }},
        {"--id", "ID", "user id", [](Options& o, const std::string& v) { return text(o.id, v); }},
        {"--password", "PASSWORD",
         "password; \"-\" reads it from standard input. Given here it shows in the\n"
         "                        process list: prefer --password -, --password-file or QBSEND_PASSWORD",
         [](Options& o, const std::string& v) {
             if (v != "-")
                 return text(o.password, v);
             o.passwordFromStdin = true;
             return std::string();
         }},
        {"--password-file", "FILE", "password from the first line of FILE",
         [](Options& o, const std::string& v) {
             std::string f;
             std::string e = text(f, v);
             o.passwordFile = f;
             return e;
         }},
        {"--reply-timeout", "SECONDS",
         "how long to wait for the login reply and the send check's (default 30)",
         [](Options& o, const std::string& v) { return seconds(o.replyTimeout, v); }},
        {"--write-timeout", "SECONDS",
         "how long a send may stall, the server taking nothing, before it ends (default 60)",
         [](Options& o, const std::string& v) { return seconds(o.writeTimeout, v); }},
        {"--help", nullptr, "this text",
         [](Options& o, const std::string&) {
             o.help = true;
             return std::string();
         }},
        {"--dry-run", nullptr, "load recipients, validate and print what would be sent; sends nothing",
         [](Options& o, const std::string&) {
             o.dryRun = true;
             return std::string();
         }},
        {"--text", "FILE", "recipients from a text file (repeatable, read in order)",
         [](Options& o, const std::string& v) {
             std::string f;
             std::string e = text(f, v);
             o.textFiles.push_back(f);
             return e;
         },
         nullptr, true},
        {"--delimiter", "D",
         "delimiter field: \",\", \":\", \";\", \"|\", \"Tab\", \"csv\" (quoted fields) or any bytes\n"
         "                        (default: one column)",
         [](Options& o, const std::string& v) {
             if (!holdsCp949(v))
                 return std::string(kNotCp949);
             std::string d;
             std::string e = text(d, v);
             o.delimiter = lowerAscii(d) == "csv" ? "CSV" : d;
             return e;
         },
         nullptr, true},
        {"--encoding", "utf-8|cp949|utf-16",
         "what the text files are in (default: found from each file; utf-16 without a\n"
         "                        byte-order mark is little-endian)",
         [](Options& o, const std::string& v) {
             const std::string e = lowerAscii(v);
             if (e != "utf-8" && e != "cp949" && e != "utf-16")
                 return std::string("utf-8, cp949 or utf-16");
             o.encoding = e;
             return std::string();
         },
         nullptr, true},
        {"--excel", "FILE", "recipients from a workbook (.xls, .xlsx)",
         [](Options& o, const std::string& v) { return text(o.excelFile, v); }, nullptr, true},
        {"--sheet", "N", "sheet of the workbook, from 1",
         [](Options& o, const std::string& v) { return positive(o.sheet, v); }, nullptr, true},
        {"--number-column", "K",
         "the column holding the numbers (default: the one found, named on standard error)",
         [](Options& o, const std::string& v) { return positive(o.numberColumn, v); }, nullptr, true},
        {"--header", nullptr,
         "the first row is the header row: not sent, its names may name columns in --merge",
         [](Options& o, const std::string&) {
             o.header = true;
             return std::string();
         },
         nullptr, true},
        {"--merge", "K=C", "merge field <@K@> from column C, a number or (with --header) a name (repeatable)",
         merge, nullptr, true},
        {"--kind", "sms|lms|mms", "message kind (default: sms)",
         [](Options& o, const std::string& v) {
             if (v != "sms" && v != "lms" && v != "mms")
                 return std::string("sms, lms or mms");
             o.kind = v;
             return std::string();
         },
         nullptr, true},
        {"--callback", "NUMBER", "callback number",
         [](Options& o, const std::string& v) { return holdsCp949(v) ? text(o.callback, v) : kNotCp949; },
         nullptr, true},
        {"--message", "TEXT", "message body (line breaks as typed)",
         [](Options& o, const std::string& v) {
             if (!holdsCp949(v))
                 return std::string(kNotCp949);
             o.message = v;
             return std::string();
         },
         nullptr, true},
        {"--message-file", "FILE", "message body from a UTF-8 file (its last line end is not part of it)",
         [](Options& o, const std::string& v) {
             std::string f;
             std::string e = text(f, v);
             o.messageFile = f;
             return e;
         },
         nullptr, true},
        {"--title", "TEXT", "LMS/MMS title",
         [](Options& o, const std::string& v) {
             if (!holdsCp949(v))
                 return std::string(kNotCp949);
             o.title = v;
             return std::string();
         },
         nullptr, true},
        {"--picture", "FILE", "MMS picture, JPEG (repeatable, slot order, at most 3)",
         [](Options& o, const std::string& v) {
             std::string f;
             std::string e = text(f, v);
             o.pictures.push_back(f);
             return e;
         },
         nullptr, true},
        {"--reserve", "\"YYYY-MM-DD HH:MM\"", "reserved sending, Korean time (minutes in steps of 5)",
         [](Options& o, const std::string& v) {
             std::string r;
             std::string e = text(r, v);
             o.reserve = r;
             return e;
         },
         nullptr, true},
        {"--range", "FROM TO", "send range (default: 1 to the row count)", nullptr,
         [](Options& o, const std::string& a, const std::string& b) {
             o.range = std::pair(a, b);
             return std::string();
         },
         true},
        {"--split", "COUNT MINUTES", "split sending: COUNT per slice, MINUTES apart (1-9, 10, 20, ..., 60)",
         nullptr,
         [](Options& o, const std::string& a, const std::string& b) {
             o.split = std::pair(a, b);
             return std::string();
         },
         true},
        {"--no-dedup", nullptr, "keep duplicate numbers",
         [](Options& o, const std::string&) {
             o.noDedup = true;
             return std::string();
         },
         nullptr, true},
        {"--ad-night-consent", nullptr,
         "an advertisement may go out from 21:00 to 08:00 Korean time: the recipients agreed to it",
         [](Options& o, const std::string&) {
             o.adNightConsent = true;
             return std::string();
         },
         nullptr, true},
        {"--no-reject", nullptr, "do not apply the reject lists of msg/RAZIDODU.ini",
         [](Options& o, const std::string&) {
             o.noReject = true;
             return std::string();
         },
         nullptr, true},
        {"--excluded", "FILE",
         "write the rows the preview left out (row, number, reason) to FILE as UTF-8 CSV",
         [](Options& o, const std::string& v) {
             std::string f;
             std::string e = text(f, v);
             o.excludedFile = f;
             return e;
         },
         nullptr, true},
        {"--strict", nullptr,
         "refuse (exit 1) when rows to send have an empty merge value or a character CP949 cannot hold",
         [](Options& o, const std::string&) {
             o.strict = true;
             return std::string();
         },
         nullptr, true},
        {"--ad", nullptr,
         "an advertisement: every composed message is checked for \"(광고)\" first, the sender's\n"
         "                        name and a free refusal line at its end (needs --ad-name, --ad-optout)",
         [](Options& o, const std::string&) {
             o.advertising = true;
             return std::string();
         },
         nullptr, true},
        {"--ad-name", "TEXT", "with --ad: the sender's business or service name",
         [](Options& o, const std::string& v) {
             if (!holdsCp949(v))
                 return std::string(kNotCp949);
             if (!qb::isSenderName(qb::cp949::fromUtf8(v).text))
                 return std::string("a name of at most 40 CP949 bytes, without control characters");
             o.adName = v;
             return std::string();
         },
         nullptr, true},
        {"--ad-optout", "NUMBER", "with --ad: the free refusal number, 080 with or without hyphens",
         [](Options& o, const std::string& v) {
             if (!qb::isOptOutNumber(v))
                 return std::string("an 080 number (080-123-4567 or 0801234567)");
             o.adOptOut = v;
             return std::string();
         },
         nullptr, true},
        {"--resume", nullptr,
         "send the rest of this user's job that a crash or a fault cut short (from the working folder)",
         [](Options& o, const std::string&) {
             o.resume = true;
             return std::string();
         }},
        {"--set-aside", "FILE",
         "move a damaged or unwanted job journal (a name in WORKDIR/sendjob, or a path) to "
         "WORKDIR/sendjob/set-aside; nothing is deleted",
         [](Options& o, const std::string& v) {
             if (v.empty())
                 return std::string("a journal file");
             o.setAside = v;
             return std::string();
         }},
        {"--resend-uncertain", nullptr,
         "with --resume and after a fault: send again records the service may already have",
         [](Options& o, const std::string&) {
             o.resendUncertain = true;
             return std::string();
         }},
        {"--skip-uncertain", nullptr,
         "with --resume and after a fault: take records the service may have as sent",
         [](Options& o, const std::string&) {
             o.resendUncertain = false;
             return std::string();
         }},
        {"--wait", "SECONDS",
         "how long to wait for the server's result once the records are written (default 60)",
         [](Options& o, const std::string& v) {
             long long s = 0;
             if (!qb::bytes::parseDecimal(v, s) || s < 1 || s > 86400)
                 return std::string("a number of seconds from 1 to 86400");
             o.waitSeconds = static_cast<int>(s);
             o.waitGiven = true;
             return std::string();
         }},
    };
    return table;
}

// The option `args[i]` names, with its value: "--name value" and "--name=value"
// alike, and the two values of an apply2 option. Moves `i` to its last argument;
// an error text, empty when it was taken.
std::string applyOption(const std::vector<std::string>& args, std::size_t& i, Options& options,
                        const char*& sendOption) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const std::size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
        value = name.substr(eq + 1);
        name.erase(eq);
    }
    const OptionDef* def = nullptr;
    for (const OptionDef& s : optionTable())
        if (name == s.name)
            def = &s;
    if (!def)
        return "unknown argument: " + args[i];
    if (!def->value && value)
        return name + " takes no value";
    if (def->sendOption && !sendOption)
        sendOption = def->name;
    if (def->apply2) {
        if (value || i + 2 >= args.size())
            return name + " needs " + def->value;
        if (std::string why = def->apply2(options, args[i + 1], args[i + 2]); !why.empty())
            return name + " needs " + why;
        i += 2;
        return {};
    }
    if (def->value && !value) {
        if (i + 1 >= args.size())
            return name + " needs " + def->value;
        value = args[++i];
    }
    if (std::string why = def->apply(options, value.value_or("")); !why.empty())
        return name + " needs " + why;
    return {};
}

// A job needs its recipients; the rest of it is checked as the form would.
std::string checkJob(const Options& o, const std::string& what) {
    if (o.textFiles.empty() == o.excelFile.empty())
        return what + " needs recipients from --text or --excel (one of them)";
    if (!o.excelFile.empty() && o.sheet == 0)
        return "--excel needs --sheet";
    if (!o.excelFile.empty() && o.delimiter)
        return "--delimiter goes with --text";
    if (!o.excelFile.empty() && !o.encoding.empty())
        return "--encoding goes with --text";
    if (o.message && o.messageFile)
        return "--message and --message-file exclude each other";
    if (!o.pictures.empty() && o.kind != "mms")
        return "--picture needs --kind mms";
    if (o.advertising && (o.adName.empty() || o.adOptOut.empty()))
        return "--ad needs --ad-name and --ad-optout";
    if (!o.advertising && (!o.adName.empty() || !o.adOptOut.empty()))
        return "--ad-name and --ad-optout go with --ad";
    if (!o.mergeNames.empty() && !o.header)
        return "--merge K=NAME needs --header";
    return {};
}

} // namespace

ParsedOptions parseOptions(const std::vector<std::string>& args, const char* environmentPassword) {
    ParsedOptions r;
    const char* sendOption = nullptr;
    for (std::size_t i = 0; i < args.size() && r.error.empty(); ++i)
        r.error = applyOption(args, i, r.options, sendOption);
    if (!r.error.empty() || r.options.help)
        return r;
    const Options& o = r.options;
    if (o.dryRun) {
        r.error = o.waitGiven ? "--wait goes with a send, not --dry-run" : checkJob(o, "--dry-run");
        return r;
    }
    if (o.setAside) {
        if (sendOption || o.resume || o.waitGiven)
            r.error = "--set-aside moves a journal: no job options";
        return r;
    }
    const int passwordWays = !o.password.empty() + o.passwordFile.has_value() + o.passwordFromStdin;
    if (passwordWays == 0 && environmentPassword && *environmentPassword)
        r.options.password = environmentPassword;
    if (o.id.empty())
        r.error = "--id is required";
    else if (passwordWays > 1)
        r.error = "give the password one way: --password, --password-file or --password -";
    else if (o.password.empty() && passwordWays == 0)
        r.error = "--password is required";
    else if (o.resume && sendOption)
        r.error = "--resume sends the journaled job: no recipients or message options";
    else if (sendOption)
        r.error = checkJob(o, "a send");
    else if (o.waitGiven && !o.resume)
        r.error = "--wait goes with a send (--text or --excel)";
    return r;
}

std::string usage() {
    std::string out =
        "Usage: qbsend --id ID PASSWORD-OPTION (--text FILE... | --excel FILE --sheet N) [options]\n"
        "  or:  qbsend --dry-run (--text FILE... | --excel FILE --sheet N) [options]\n"
        "  or:  qbsend --id ID PASSWORD-OPTION --resume [--resend-uncertain | --skip-uncertain]\n"
        "  or:  qbsend --id ID PASSWORD-OPTION\n"
        "  or:  qbsend --set-aside FILE\n"
        "PASSWORD-OPTION: --password PASSWORD, --password - (standard input) or --password-file FILE;\n"
        "without one the password comes from the environment variable QBSEND_PASSWORD.\n"
        "Sends a job as the client does: logs in, prepares it as the preview does, sends\n"
        "it and waits for the server's result. --dry-run prepares it and prints it\n"
        "without logging in. Without recipients it only logs in and out.\n"
        "Messages the user would see are printed in UTF-8; progress goes to stderr.\n"
        "Every job is journaled in WORKDIR/sendjob before its first record goes;\n"
        "after a crash or a fault --resume lists every journal there and sends exactly\n"
        "what the service did not take. Where the service cannot say what it took, the\n"
        "uncertain records need --resend-uncertain or --skip-uncertain.\n"
        "SIGINT (Ctrl+C) or SIGTERM stops a job as the client's \"전송중지\" does: the\n"
        "service's count decides, the rest is kept for --resume (exit 4).\n"
        "Exit status:\n"
        "  0  the service holds the whole job (also when the connection dropped after\n"
        "     the last record) / prepared / logged in / nothing to resume\n"
        "  1  failed, and nothing is pending: running the same command again is safe\n"
        "  2  bad arguments\n"
        "  3  a choice about uncertain records is needed: --resume with\n"
        "     --resend-uncertain or --skip-uncertain\n"
        "  4  the rest of the job is pending: run --resume (not the same command)\n"
        "  5  refused by the service (login, limit, or a count it cannot have); nothing\n"
        "     more is sent\n\n";
    for (const OptionDef& s : optionTable()) {
        std::string left = std::string("  ") + s.name + (s.value ? std::string(" ") + s.value : "");
        left.resize(std::max<std::size_t>(left.size() + 2, 24), ' ');
        out += left + s.help + "\n";
    }
    return out;
}

} // namespace qbsend

namespace qbsend {

std::string readPassword(Options& o, std::istream& in) {
    // The first line, without its line end; the rest of a file is not looked at.
    const auto firstLine = [](std::istream& s) {
        std::string line;
        std::getline(s, line);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    };
    if (o.passwordFile) {
        std::ifstream file(*o.passwordFile, std::ios::binary);
        if (!file)
            return "--password-file: cannot read " + *o.passwordFile;
        o.password = firstLine(file);
        if (o.password.empty())
            return "--password-file: no password on the first line of " + *o.passwordFile;
    } else if (o.passwordFromStdin) {
        o.password = firstLine(in);
        if (o.password.empty())
            return "--password -: no password on standard input";
    }
    return {};
}

} // namespace qbsend
