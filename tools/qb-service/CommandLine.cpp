#include "CommandLine.h"

#include "WebFaults.h"

#include "common/Bytes.h"
#include "common/Cp949.h"

namespace qbs {
namespace {

bool parsePort(const std::string& text, int& port) {
    long long v = 0;
    if (!qb::bytes::parseDecimal(text, v) || v > 65535)
        return false;
    port = static_cast<int>(v);
    return true;
}

} // namespace

const char* CommandLine::usage() {
    return "Usage: qb-service [options]\n"
           "  --host HOST             address to listen on (default 127.0.0.1)\n"
           "  --login-port N          login port (default 0: any free port)\n"
           "  --send-port N           send port (default 0)\n"
           "  --web-port N            web port (default 0)\n"
           "  --db PATH               SQLite database (default :memory:); a restart on the same\n"
           "                          file keeps accounts, balances, jobs and records\n"
           "  --seed FILE             accounts, one per line: id password [user_number [user_tag]]\n"
           "  --add-account ID PASSWORD\n"
           "  --demo-data ID          sample balance, callback numbers, saved messages and addresses\n"
           "  --web-fault FAULT       make the web application misbehave: KIND[:MS][@DOCUMENT],\n"
           "                          KIND one of status500, badjson, nomember, slow, truncate, none\n"
           "                          (slow waits MS milliseconds, default 3000; repeatable)\n"
           "  --send-slow             the send port reads slowly (small receive buffer, pauses)\n"
           "  --send-drop-after N     the first send job to bring N records loses its connection\n"
           "  --packet-length FORM    how the length field of the packets written is filled:\n"
           "                          after-header (default), whole, zero, or a number\n"
           "  --quiet                 no event lines on stderr\n"
           "Prints one line per port taken (\"login-port 43121\") and runs until SIGINT or SIGTERM.\n"
           "\n"
           "On SIGINT or SIGTERM it stops taking connections, stores the records it has read, marks\n"
           "the running send jobs interrupted, reports each one's stored count on its user's login\n"
           "connection and exits 0. Jobs a killed service left running are marked interrupted at\n"
           "the next start on the same database.\n"
           "\n"
           "GET /sendstatus.jsp?cid=ID&sendtag=TAG on the web port answers STATE|STORED: STATE is\n"
           "running, done or interrupted (a refused job: interrupted|0), or unknown|0.\n"
           "\n"
           "Commands on stdin: send-result ID RESULT COUNT | deliver-ack ID VALUE | disconnect ID\n";
}

CommandLine CommandLine::parse(const std::vector<std::string>& args) {
    CommandLine c;
    const auto fail = [&c](std::string why) {
        c.error = std::move(why);
        return c;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&](std::size_t count = 1) { return i + count < args.size(); };
        if (a == "--help" || a == "-h") {
            c.help = true;
        } else if (a == "--quiet") {
            c.quiet = true;
        } else if (a == "--send-slow") {
            c.service.slowSendReader = true;
        } else if (a == "--send-drop-after") {
            long long n = 0;
            if (!value() || !qb::bytes::parseDecimal(args[i + 1], n) || n < 1)
                return fail("--send-drop-after needs a number of records");
            c.service.dropSendAfter = static_cast<std::size_t>(n);
            ++i;
        } else if (a == "--packet-length") {
            const std::optional<LengthField> length =
                value() ? LengthField::parse(args[i + 1]) : std::optional<LengthField>();
            if (!length)
                return fail("--packet-length needs after-header, whole, zero or a number");
            c.service.lengthField = *length;
            ++i;
        } else if (a == "--host" || a == "--db" || a == "--seed") {
            if (!value())
                return fail(a + " needs a value");
            const std::string& v = args[++i];
            if (v.empty())
                return fail(a + " needs a value");
            if (a == "--host")
                c.service.host = v;
            else if (a == "--db")
                c.service.databasePath = v;
            else
                c.seedFiles.push_back(v);
        } else if (a == "--login-port" || a == "--send-port" || a == "--web-port") {
            int port = 0;
            if (!value() || !parsePort(args[i + 1], port))
                return fail(a + " needs a port number (0..65535)");
            ++i;
            (a == "--login-port"  ? c.service.loginPort
             : a == "--send-port" ? c.service.sendPort
                                  : c.service.webPort) = port;
        } else if (a == "--demo-data") {
            const qb::cp949::Conversion id = qb::cp949::fromUtf8(value() ? args[i + 1] : std::string());
            if (id.text.empty() || !id.ok())
                return fail("--demo-data needs an id");
            c.demoDataUsers.push_back(id.text);
            ++i;
        } else if (a == "--web-fault") {
            if (!value())
                return fail("--web-fault needs a value");
            std::string why;
            WebFaults check;
            if (!check.apply(args[i + 1], &why))
                return fail("--web-fault " + args[i + 1] + ": " + why);
            c.service.webFaults.push_back(args[++i]);
        } else if (a == "--add-account") {
            if (!value(2))
                return fail("--add-account needs an id and a password");
            const qb::cp949::Conversion id = qb::cp949::fromUtf8(args[i + 1]);
            const qb::cp949::Conversion password = qb::cp949::fromUtf8(args[i + 2]);
            if (!id.ok() || !password.ok())
                return fail("--add-account: text without a CP949 form");
            c.accounts.push_back({id.text, password.text, 0, {}});
            i += 2;
        } else {
            return fail("unknown argument: " + a);
        }
    }
    return c;
}

} // namespace qbs
