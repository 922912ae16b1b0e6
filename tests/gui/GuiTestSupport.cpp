#include "GuiTestSupport.h"

#include "frame/ui/CMainFrame.h"
#include "net/ui/LoginDialog.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

namespace qb::test {

void typeText(QWidget* widget, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString key(text[i]);
        if (text[i].isHighSurrogate() && i + 1 < text.size())
            key += text[++i];
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, key, Qt::NoModifier);
    }
}

void startLogin(CMainFrame& frame, const char* id, const char* password) {
    whenModal<LoginDialog>([id, password](LoginDialog& d) {
        d.idEdit()->clear();
        typeText(d.idEdit(), u(id));
        d.passwordEdit()->clear();
        typeText(d.passwordEdit(), u(password));
        d.okButton()->click();
    });
    frame.action(Command::Login)->trigger();
}

std::vector<int> enabledCommands(const CMainFrame& frame) {
    std::vector<int> out;
    for (const CommandInfo& info : allCommands()) {
        QAction* a = frame.action(info.command);
        if (QWidget* button = frame.toolBar()->widgetForAction(a);
            button && button->isEnabled() != a->isEnabled())
            out.push_back(-static_cast<int>(info.command)); // a button that disagrees shows up negated
        if (a->isEnabled())
            out.push_back(static_cast<int>(info.command));
    }
    return out;
}

std::vector<int> loggedOutCommands() {
    return {32783, 32780, 57664, 57665};
}

std::vector<int> loggedInCommands() {
    return {32784, 32772, 32774, 32776, 32794, 32778, 32780, 32791, 57664, 57665};
}

std::string describe(const MessageBoxNotifier::Shown& box) {
    std::string icon = box.icon == QMessageBox::Critical ? "error"
                       : box.icon == QMessageBox::NoIcon ? "none"
                                                         : "other";
    std::string out = box.caption.toStdString() + " | " + box.text.toStdString() + " | " + icon + " |";
    for (const QString& b : box.buttons)
        out += " " + b.toStdString();
    return out;
}

std::vector<std::string> shownBoxes() {
    std::vector<std::string> out;
    for (const MessageBoxNotifier::Shown& box : MessageBoxNotifier::shown())
        out.push_back(describe(box));
    return out;
}

} // namespace qb::test
