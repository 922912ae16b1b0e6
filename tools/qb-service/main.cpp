// qb-service: the stand-in message server and web application on loopback.
#include "CommandLine.h"
#include "DemoData.h"
#include "Service.h"

#include "common/Bytes.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <pthread.h>
#include <thread>

namespace {

struct Shared {
    std::mutex serviceMutex;
    qbs::Service* service = nullptr; // cleared before the service stops
    std::mutex outputMutex;
};

// Never destroyed: the stdin thread may still be reading when main returns.
Shared& shared() {
    static Shared* s = new Shared;
    return *s;
}

void say(const std::string& line) {
    std::lock_guard lock(shared().outputMutex);
    std::cout << line << std::endl;
}

// Manual pushes: "send-result ID RESULT COUNT", "deliver-ack ID VALUE", "disconnect ID".
void readCommands() {
    std::string line;
    while (std::getline(std::cin, line)) {
        const auto words = qb::bytes::splitRuns(line, " \t\r");
        if (words.empty())
            continue;
        const auto number = [](std::string_view w, std::int32_t& out) {
            long long v = 0;
            const bool negative = !w.empty() && w.front() == '-';
            if (!qb::bytes::parseDecimal(negative ? w.substr(1) : w, v) || v > 2147483647)
                return false;
            out = static_cast<std::int32_t>(negative ? -v : v);
            return true;
        };
        const std::string command(words[0]);
        std::int32_t a = 0, b = 0;
        std::lock_guard lock(shared().serviceMutex);
        qbs::Service* service = shared().service;
        if (!service)
            return;
        bool ok = false;
        if (command == "send-result" && words.size() == 4 && number(words[2], a) && number(words[3], b))
            ok = service->loginServer().pushSendResult(std::string(words[1]), a, b);
        else if (command == "deliver-ack" && words.size() == 3 && number(words[2], a))
            ok = service->loginServer().pushDeliverAck(std::string(words[1]), a);
        else if (command == "disconnect" && words.size() == 2)
            ok = service->loginServer().disconnect(std::string(words[1]));
        else {
            say("? send-result ID RESULT COUNT | deliver-ack ID VALUE | disconnect ID");
            continue;
        }
        say(ok ? "ok" : "no login connection for that id");
    }
}

} // namespace

int main(int argc, char** argv) {
    const qbs::CommandLine cl = qbs::CommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (cl.help) {
        std::cout << qbs::CommandLine::usage();
        return 0;
    }
    if (!cl.error.empty()) {
        std::cerr << "qb-service: " << cl.error << "\n" << qbs::CommandLine::usage();
        return 2;
    }

    // Signals are taken by sigwait below; every thread started from here inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    qbs::ServiceOptions options = cl.service;
    if (!cl.quiet) {
        options.log = [](const std::string& line) {
            std::lock_guard lock(shared().outputMutex);
            std::cerr << line << std::endl;
        };
    }
    qbs::Service service(options);
    try {
        service.start();
        for (const std::string& seed : cl.seedFiles)
            service.accounts().loadSeedFile(seed);
        for (const qbs::Account& a : cl.accounts)
            service.accounts().add(a);
        for (const std::string& user : cl.demoDataUsers)
            qbs::seedDemoData(service.webServer().store(), user);
    } catch (const std::exception& e) {
        std::cerr << "qb-service: " << e.what() << "\n";
        return 1;
    }
    for (const auto& [role, port] : service.ports())
        say(role + " " + std::to_string(port));
    {
        std::lock_guard lock(shared().serviceMutex);
        shared().service = &service;
    }
    std::thread(readCommands).detach();

    int received = 0;
    sigwait(&signals, &received);
    if (options.log)
        options.log(std::string("stopping on ") + (received == SIGINT ? "SIGINT" : "SIGTERM"));
    {
        std::lock_guard lock(shared().serviceMutex);
        shared().service = nullptr;
    }
    // The send port goes first: its running jobs are stored and reported on
    // the login connections, which close after them.
    service.stop();
    if (options.log)
        options.log("stopped");
    return 0;
}
