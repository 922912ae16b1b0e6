#include "client/CQuillbank2App.h"

#include "app/AppPaths.h"
#include "app/ServiceConfig.h"
#include "app/StartUp.h"
#include "common/Cp949.h"
#include "common/ProfileFile.h"
#include "common/ui/MessageBoxNotifier.h"
#include "frame/ui/CMainFrame.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QProcess>
#include <QTranslator>

#include <unistd.h>

// The pictures live in this static library; naming them here keeps the linker
// from dropping them.
static void initImages() {
    Q_INIT_RESOURCE(quillbank2);
}

namespace qb {

void CQuillbank2App::prepareEnvironment() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Qt WebEngine takes its language from the default locale when it starts:
    // its own pages (a service that is down) and the pages' Accept-Language
    // are then Korean, as the rest of the program, whatever the system's.
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    // Chromium refuses to start as root with its sandbox on, which would take
    // the whole client down at the first page view. A normal user keeps it.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

void CQuillbank2App::setUpApplication(QApplication& app) {
    initImages();
    app.setApplicationName("quillbank2");
    // The desktop entry's name, so a desktop shows the window under its entry.
    app.setDesktopFileName("example.quillbank2.Quillbank2");
    // The installed icon in the desktop's theme; the same picture built in.
    app.setWindowIcon(QIcon::fromTheme("quillbank2", QIcon(":/images/icon.png")));
    // The interface is Korean whatever the system's language.
    auto* translator = new QTranslator(&app);
    if (translator->load("qtbase_ko", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(translator);
    // "굴림" exists only on Windows; an installed Korean font takes its place.
    QFont font = app.font();
    font.setFamilies({QString::fromUtf8("굴림"), "Gulim", "Noto Sans CJK KR", "NanumGothic", "UnDotum"});
    font.setPointSize(9);
    app.setFont(font);
}

CQuillbank2App::CQuillbank2App(QStringList arguments, QString workingFolder, QString updater)
    : m_arguments(std::move(arguments)), m_workingFolder(std::move(workingFolder)),
      m_updater(std::move(updater)) {}

CQuillbank2App::~CQuillbank2App() = default;

std::optional<int> CQuillbank2App::initInstance() {
    m_lock = std::make_unique<SingleInstanceLock>(m_workingFolder.toStdString());
    const bool anotherRunning = m_lock->tryLock() == SingleInstanceLock::Result::HeldByAnother;

    std::vector<std::string> arguments;
    for (const QString& a : m_arguments)
        arguments.push_back(a.toStdString());

    switch (startup::decide(anotherRunning, startup::hasUpdaterSwitch(arguments))) {
    case startup::StartAction::AlreadyRunning:
        MessageBoxNotifier(nullptr).info(ko("프로그램이 이미 실행중입니다."));
        return 0;
    case startup::StartAction::StartUpdater:
        // The updater starts a client with "/u" straight away; it must find the
        // lock free.
        m_lock->unlock();
        QProcess::startDetached(m_updater, {}, m_workingFolder);
        return 0;
    case startup::StartAction::Run:
        break;
    }

    const AppPaths paths(m_workingFolder.toStdString());
    const ServiceConfig config = ServiceConfig::load(paths.workingFolder());
    m_frame = std::make_unique<CMainFrame>(paths, config);
    m_frame->show();
    // Once, over the window: the defaults stand in for what was refused.
    std::string bad = config.badValuesMessage();
    if (ProfileFile(paths.updateIniPath()).load().tooLarge())
        bad += (bad.empty() ? "" : "\n") + ProfileFile::tooLargeMessage(paths.updateIniPath());
    if (!bad.empty())
        m_frame->messageBoxes().error(bad);
    return std::nullopt;
}

} // namespace qb
