// qbsend: the client's core driven from the command line.
#include "Options.h"
#include "Runner.h"

#include <QCoreApplication>

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qbsend::ParsedOptions parsed =
        qbsend::parseOptions(std::vector<std::string>(argv + 1, argv + argc), std::getenv("QBSEND_PASSWORD"));
    if (parsed.options.help) {
        std::cout << qbsend::usage();
        return qbsend::kSuccess;
    }
    if (!parsed.ok()) {
        std::cerr << "qbsend: " << parsed.error << "\n\n" << qbsend::usage();
        return qbsend::kBadArguments;
    }
    if (const std::string why = qbsend::readPassword(parsed.options, std::cin); !why.empty()) {
        std::cerr << "qbsend: " << why << "\n";
        return qbsend::kBadArguments;
    }
    return qbsend::run(parsed.options, std::cout, std::cerr);
}
