// qbupdater: prepares the client's working folder and starts the client there
// with "/u", the switch the client needs to run normally.
#include "app/AppPaths.h"
#include "common/ProfileFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <cstdio>

namespace {

// On standard output when asked for, on standard error after a wrong argument.
void usage(std::FILE* out) {
    std::fprintf(out, "Usage: qbupdater [--workdir DIR] [--client PROGRAM]\n"
                      "Prepares the client's working folder (LOG, msg and imgtemp in it) and starts\n"
                      "the client there with \"/u\".\n"
                      "\n"
                      "  --workdir DIR     working folder (default ~/.local/share/Quillbank2)\n"
                      "  --client PROGRAM  the client to start (default quillbank2 beside qbupdater)\n"
                      "  --help            this text\n");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString workdir = QDir::homePath() + "/.local/share/Quillbank2";
    QString client = QCoreApplication::applicationDirPath() + "/quillbank2";

    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == "--workdir" || a == "--client") && i + 1 < args.size()) {
            (a == "--workdir" ? workdir : client) = args[++i];
        } else if (a == "--help" || a == "-h") {
            usage(stdout);
            return 0;
        } else {
            usage(stderr);
            return 2;
        }
    }

    QDir dir;
    for (const char* sub : {"", "/LOG", "/msg", "/imgtemp"}) {
        if (!dir.mkpath(workdir + sub)) {
            std::fprintf(stderr, "qbupdater: cannot create %s%s\n", qPrintable(workdir), sub);
            return 1;
        }
    }
    const QString absWorkdir = QFileInfo(workdir).absoluteFilePath();
    // The client shows the installed version in its title; a folder that has none
    // gets this program's. A version already there (another installation's) stays.
    const qb::AppPaths paths(QFile::encodeName(absWorkdir).toStdString());
    if (paths.readVersion().empty() &&
        !qb::ProfileFile(paths.updateIniPath()).write("PROGRAM", "VERSION", QB_VERSION))
        std::fprintf(stderr, "qbupdater: cannot write %s\n", paths.updateIniPath().c_str());
    qint64 pid = 0;
    if (!QProcess::startDetached(client, {"/u"}, absWorkdir, &pid)) {
        std::fprintf(stderr, "qbupdater: cannot start %s\n", qPrintable(client));
        return 1;
    }
    return 0;
}
