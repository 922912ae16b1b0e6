#include "Runner.h"

#include "ConsoleNotifier.h"
#include "DryRun.h"
#include "SessionRun.h"
#include "app/AppPaths.h"
#include "app/ServiceConfig.h"
#include "common/Cp949.h"
#include "common/LoginState.h"
#include "send/JobJournal.h"

#include <filesystem>
#include <iostream>
#include <unistd.h>

namespace qbsend {
namespace {

bool toCp949(const std::string& utf8, std::string& out) {
    qb::cp949::Conversion c = qb::cp949::fromUtf8(utf8);
    out = std::move(c.text);
    return c.ok();
}

qb::DryRunOptions jobOptions(const Options& options, const std::filesystem::path& workdir,
                             std::ostream& err) {
    qb::DryRunOptions d;
    d.note = [&err](const std::string& line) { err << "qbsend: " << line << std::endl; };
    d.workingFolder = workdir.lexically_normal().string();
    d.textFiles = options.textFiles;
    d.delimiter = options.delimiter;
    d.encoding = options.encoding == "utf-8"    ? qb::TextEncoding::Utf8
                 : options.encoding == "cp949"  ? qb::TextEncoding::Cp949
                 : options.encoding == "utf-16" ? qb::TextEncoding::Utf16
                                                : qb::TextEncoding::Auto;
    d.excelFile = options.excelFile;
    d.sheet = options.sheet;
    d.numberColumn = options.numberColumn;
    d.header = options.header;
    d.merges = options.merges;
    d.mergeNames = options.mergeNames;
    d.kind = options.kind == "lms"   ? qb::MessageKind::Lms
             : options.kind == "mms" ? qb::MessageKind::Mms
                                     : qb::MessageKind::Sms;
    d.callback = options.callback;
    d.message = options.message;
    d.messageFile = options.messageFile;
    d.title = options.title;
    d.pictures = options.pictures;
    d.reserve = options.reserve;
    d.range = options.range;
    d.split = options.split;
    d.dedup = !options.noDedup;
    d.reject = !options.noReject;
    d.excludedFile = options.excludedFile;
    d.strict = options.strict;
    d.advertising = options.advertising;
    d.adName = options.adName;
    d.adOptOut = options.adOptOut;
    d.nightConsent = options.adNightConsent;
    return d;
}

int setAside(const std::string& file, const std::filesystem::path& workdir, std::ostream& out,
             std::ostream& err) {
    const std::string path = file.find('/') == std::string::npos
                                 ? qb::JobJournal::folderOf(workdir.lexically_normal().string()) + "/" + file
                                 : file;
    std::string error;
    const std::string to = qb::JobJournal::setAside(path, error);
    if (to.empty()) {
        err << "qbsend: " << error << "\n";
        return kFailed;
    }
    out << "qbsend: set aside: " << to << std::endl;
    return kSuccess;
}

int dryRun(const Options& options, const std::filesystem::path& workdir, std::ostream& out,
           std::ostream& err) {
    ConsoleNotifier notifier(out);
    const int fd = &out == &std::cout ? STDOUT_FILENO : -1;
    qb::DryRunOptions job = jobOptions(options, workdir, err);
    job.encodingLog = &err;
    return qb::runDryRun(job, notifier, out, fd, &err) == 0 ? kSuccess : kFailed;
}

// The service's addresses from service.ini, with what the command line replaces;
// a bad value the command line does not replace is a bad argument.
std::optional<int> loadConfig(const Options& options, const qb::AppPaths& paths, qb::ServiceConfig& config,
                              std::ostream& err) {
    config = qb::ServiceConfig::load(paths.workingFolder());
    if (options.host)
        config.host = *options.host;
    if (options.loginPort)
        config.loginPort = *options.loginPort;
    if (options.sendPort)
        config.sendPort = *options.sendPort;
    if (options.webPort)
        config.webPort = *options.webPort;
    if (!config.unreadFile.empty()) {
        err << "qbsend: " << config.unreadFile << ": larger than 1 MiB, not read\n";
        return kBadArguments;
    }
    for (const qb::ServiceConfig::BadValue& bad : config.badValues) {
        const bool replaced = (bad.key == "LOGIN_PORT" && options.loginPort) ||
                              (bad.key == "SEND_PORT" && options.sendPort) ||
                              (bad.key == "WEB_PORT" && options.webPort);
        if (!replaced) {
            err << "qbsend: " << qb::ServiceConfig::kFileName << ": " << bad.key << "="
                << qb::cp949::toUtf8(bad.value) << " is not a port number (1..65535)\n";
            return kBadArguments;
        }
    }
    return std::nullopt;
}

} // namespace

int run(const Options& options, std::ostream& out, std::ostream& err) {
    std::error_code ec;
    const std::filesystem::path workdir = std::filesystem::absolute(options.workdir, ec);
    if (ec || !std::filesystem::is_directory(workdir, ec)) {
        err << "qbsend: --workdir: no such folder: " << options.workdir << "\n";
        return kBadArguments;
    }
    if (options.dryRun)
        return dryRun(options, workdir, out, err);
    if (options.setAside)
        return setAside(*options.setAside, workdir, out, err);
    const qb::AppPaths paths(workdir.lexically_normal().string());
    qb::ServiceConfig config;
    if (const std::optional<int> bad = loadConfig(options, paths, config, err))
        return *bad;
    qb::LoginState state;
    state.version = paths.readVersion();
    if (!toCp949(options.id, state.userId) || !toCp949(options.password, state.password)) {
        err << "qbsend: the id and the password must be text that CP949 can hold\n";
        return kBadArguments;
    }
    qb::DryRunOptions job = jobOptions(options, workdir, err);
    job.encodingLog = &err;
    return runSession(options, std::move(job), paths, config, state, out, err);
}

} // namespace qbsend
