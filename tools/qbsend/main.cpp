// qbsend: the client's core driven from the command line.
#include "Options.h"
#include "Runner.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qbsend::ParsedOptions parsed =
        qbsend::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.options.help) {
        std::cout << qbsend::usage();
        return qbsend::kSuccess;
    }
    if (!parsed.ok()) {
        std::cerr << "qbsend: " << parsed.error << "\n\n" << qbsend::usage();
        return qbsend::kBadArguments;
    }
    return qbsend::run(parsed.options, std::cout, std::cerr);
}
