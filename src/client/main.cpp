// quillbank2: the desktop client. Runs normally only when started with "/u"
// (qbupdater does that); otherwise it starts qbupdater and ends.
#include "app/StartUp.h"
#include "client/CQuillbank2App.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv) {
    qb::CQuillbank2App::prepareEnvironment();
    QApplication app(argc, argv);
    qb::CQuillbank2App::setUpApplication(app);

    const QString updater = QString::fromStdString(qb::startup::updaterPath(
        QCoreApplication::applicationDirPath().toStdString(), qgetenv("PATH").toStdString()));
    qb::CQuillbank2App quillbank(app.arguments().mid(1), QDir::currentPath(), updater);
    if (const std::optional<int> code = quillbank.initInstance())
        return *code;
    return app.exec();
}
