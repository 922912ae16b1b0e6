#include "common/ui/MessageBoxNotifier.h"

#include "common/QtText.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QKeySequence>
#include <QRegularExpression>

namespace qb {
namespace {

bool s_testMode = false;
QMessageBox::StandardButton s_nextAnswer = QMessageBox::NoButton;
// The notice the user is reading: one fault reaches the user by several ways at
// once (the send job, the login connection, the service's count), and each would
// stack a box on the last. They are read in one box instead.
QPointer<QMessageBox> s_openNotice;

QList<MessageBoxNotifier::Shown>& shownList() {
    static QList<MessageBoxNotifier::Shown> list;
    return list;
}

} // namespace

void MessageBoxNotifier::setTestMode(bool on) {
    s_testMode = on;
}

void MessageBoxNotifier::setNextAnswer(QMessageBox::StandardButton answer) {
    s_nextAnswer = answer;
}

const QList<MessageBoxNotifier::Shown>& MessageBoxNotifier::shown() {
    return shownList();
}

void MessageBoxNotifier::clearShown() {
    shownList().clear();
}

void MessageBoxNotifier::show(const std::string& text, MessageIcon icon, const std::string& caption) {
    run(text, icon, caption, QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageBoxNotifier::ask(const std::string& text, MessageIcon icon, const std::string& caption) {
    return run(text, icon, caption, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

QMessageBox::StandardButton MessageBoxNotifier::run(const std::string& text, MessageIcon icon,
                                                    const std::string& caption,
                                                    QMessageBox::StandardButtons buttons,
                                                    QMessageBox::StandardButton defaultButton) {
    if (buttons == QMessageBox::Ok && s_openNotice && s_openNotice->windowTitle() == toQString(caption)) {
        s_openNotice->setText(s_openNotice->text() + "\n\n" + toQString(text));
        if (icon == MessageIcon::Error)
            s_openNotice->setIcon(QMessageBox::Critical);
        shownList().append({s_openNotice->windowTitle(),
                            toQString(text),
                            s_openNotice->icon(),
                            {},
                            m_owner,
                            QMessageBox::Ok});
        return QMessageBox::Ok;
    }
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    toQString(caption), toQString(text), buttons, m_owner);
    box.setDefaultButton(defaultButton);
    // The window manager cuts a caption wider than the box (" 발송데이터 확인!" over
    // five short lines): the box is made wide enough for its caption, its title
    // bar's buttons and the bolder font title bars use.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int captionWidth = box.fontMetrics().horizontalAdvance(box.windowTitle()) * 5 / 4 + 120;
        grid->addItem(new QSpacerItem(captionWidth, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    // The Korean translation reads "예(&Y)": the buttons say "예" and "아니요",
    // and Y and N still answer.
    static const QRegularExpression mnemonic(R"(\(&(\w)\)$)");
    for (QAbstractButton* b : box.buttons()) {
        const QRegularExpressionMatch m = mnemonic.match(b->text());
        if (!m.hasMatch())
            continue;
        b->setText(b->text().left(m.capturedStart()));
        b->setShortcut(QKeySequence(m.captured(1)));
    }

    Shown record{box.windowTitle(), box.text(), box.icon(), {}, m_owner, QMessageBox::NoButton};
    for (QAbstractButton* b : box.buttons())
        record.buttons << b->text();

    QMessageBox::StandardButton answer;
    if (s_nextAnswer != QMessageBox::NoButton) {
        answer = s_nextAnswer;
        s_nextAnswer = QMessageBox::NoButton;
    } else if (s_testMode) {
        answer = buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
    } else {
        const QPointer<QMessageBox> before = s_openNotice;
        // A question stays a box of its own, and nothing joins a notice under it.
        s_openNotice = buttons == QMessageBox::Ok ? &box : nullptr;
        answer = static_cast<QMessageBox::StandardButton>(box.exec());
        s_openNotice = before;
        record.text = box.text();
    }
    record.answer = answer;
    shownList().append(record);
    return answer;
}

} // namespace qb
