#include "Options.h"

#include "common/Bytes.h"

#include <functional>

namespace qbsend {
namespace {

struct OptionDef {
    const char* name;
    const char* value; // nullptr for a switch
    const char* help;
    // Returns an error text, empty when the value is good.
    std::function<std::string(Options&, const std::string&)> apply;
};

std::string port(std::optional<int>& target, const std::string& value) {
    long long v = 0;
    if (!qb::bytes::parseDecimal(value, v) || v < 1 || v > 65535)
        return "a port number (1..65535)";
    target = static_cast<int>(v);
    return {};
}

std::string text(std::string& target, const std::string& value) {
    if (value.empty())
        return "a non-empty value";
    target = value;
    return {};
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
        {"--password", "PASSWORD", "password",
         [](Options& o, const std::string& v) { return text(o.password, v); }},
        {"--help", nullptr, "this text",
         [](Options& o, const std::string&) {
             o.help = true;
             return std::string();
         }},
    };
    return table;
}

} // namespace

ParsedOptions parseOptions(const std::vector<std::string>& args) {
    ParsedOptions r;
    for (std::size_t i = 0; i < args.size(); ++i) {
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
        if (!def) {
            r.error = "unknown argument: " + args[i];
            return r;
        }
        if (!def->value && value) {
            r.error = name + " takes no value";
            return r;
        }
        if (def->value && !value) {
            if (i + 1 >= args.size()) {
                r.error = name + " needs " + def->value;
                return r;
            }
            value = args[++i];
        }
        if (std::string why = def->apply(r.options, value.value_or("")); !why.empty()) {
            r.error = name + " needs " + why;
            return r;
        }
    }
    if (r.options.help)
        return r;
    if (r.options.id.empty())
        r.error = "--id is required";
    else if (r.options.password.empty())
        r.error = "--password is required";
    return r;
}

std::string usage() {
    std::string out = "usage: qbsend --id ID --password PASSWORD [options]\n"
                      "Logs in to the message server as the client does, then logs out.\n"
                      "Exit status: 0 logged in, 1 login failed, 2 bad arguments.\n\n";
    for (const OptionDef& s : optionTable()) {
        std::string left = std::string("  ") + s.name + (s.value ? std::string(" ") + s.value : "");
        left.resize(std::max<std::size_t>(left.size() + 2, 24), ' ');
        out += left + s.help + "\n";
    }
    return out;
}

} // namespace qbsend
