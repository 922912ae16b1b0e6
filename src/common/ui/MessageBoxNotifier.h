#pragma once

#include "common/Notifier.h"

#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>

// The client's Notifier: message boxes with the caption given, an error icon or
// none, and the standard buttons in the user's language ("확인", "예", "아니요").
//
// Tests answer for the user: with test mode on, no box waits for a click; each is
// recorded and answered with the next answer if one was set (used once, then
// reset), otherwise with OK, or No for a question.
namespace qb {

class MessageBoxNotifier : public Notifier {
public:
    explicit MessageBoxNotifier(QWidget* owner = nullptr) : m_owner(owner) {}

    void setOwner(QWidget* owner) { m_owner = owner; }

    void show(const std::string& text, MessageIcon icon, const std::string& caption) override;
    bool ask(const std::string& text, MessageIcon icon, const std::string& caption) override;

    struct Shown {
        QString caption;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons; // as the user reads them, in order
        QWidget* owner = nullptr;
        QMessageBox::StandardButton answer = QMessageBox::NoButton;
    };

    static void setTestMode(bool on);
    static void setNextAnswer(QMessageBox::StandardButton answer);
    // Every box since the last clear, in order.
    static const QList<Shown>& shown();
    static void clearShown();

private:
    QMessageBox::StandardButton run(const std::string& text, MessageIcon icon, const std::string& caption,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton);

    QPointer<QWidget> m_owner;
};

} // namespace qb
