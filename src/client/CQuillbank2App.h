#pragma once

#include "app/SingleInstanceLock.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QApplication;

// The application object: decides whether this process may run, hands over to
// the updater when it was not started by it, and builds the main window.
namespace qb {

class CMainFrame;

class CQuillbank2App {
public:
    // Before the QApplication exists: what Qt WebEngine needs from the start.
    static void prepareEnvironment();
    // Standard buttons in Korean and the program's font.
    static void setUpApplication(QApplication& app);

    // `arguments` without the program's own path; `updater` is the program to
    // start without "/u".
    CQuillbank2App(QStringList arguments, QString workingFolder, QString updater);
    ~CQuillbank2App();

    // The start-up routine: an exit code when the program must end now,
    // nothing when the main window is shown and the event loop should run.
    std::optional<int> initInstance();

    CMainFrame* mainFrame() const { return m_frame.get(); }

private:
    QStringList m_arguments;
    QString m_workingFolder;
    QString m_updater;
    std::unique_ptr<SingleInstanceLock> m_lock;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace qb
