#pragma once

#include "common/ui/MessageBoxNotifier.h"
#include "frame/Commands.h"

#include <QApplication>
#include <QString>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace qb {
class CMainFrame;
}

namespace qb::test {

inline QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Types the text key by key, as a user (or an input method) would; Korean and
// other characters beyond ASCII included.
void typeText(QWidget* widget, const QString& text);

// Runs `act` on the next modal dialog of type D as soon as it is shown.
template <typename D> void whenModal(std::function<void(D&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*d);
        }
    });
    timer->start();
}

// Opens the login dialog with "로그인", fills it as a user would and presses
// its "로그인"; the login runs on from there.
void startLogin(CMainFrame& frame, const char* id = "user01", const char* password = "pass01");

// The numbers of the commands whose actions are enabled, in menu order; every
// toolbar button must agree with its action.
std::vector<int> enabledCommands(const CMainFrame& frame);
std::vector<int> loggedOutCommands();
std::vector<int> loggedInCommands();

// A box as the tests compare it: caption | text | icon | buttons.
std::string describe(const MessageBoxNotifier::Shown& box);
std::vector<std::string> shownBoxes();

} // namespace qb::test
