#include "SendViewFixture.h"

#include "app/ServiceConfig.h"
#include "send/ui/CGridCtrl.h"
#include "send/ui/RecipientItemModel.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

namespace qb::test {

void typeInto(QWidget* widget, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            QTest::keyClick(widget, Qt::Key_Return);
            continue;
        }
        QString key(text[i]);
        if (text[i].isHighSurrogate() && i + 1 < text.size())
            key += text[++i];
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, key, Qt::NoModifier);
    }
}

SendViewFixture::SendViewFixture(bool loggedIn) {
    login.loggedIn = loggedIn;
    login.userId = "tester";
    view = std::make_unique<CQuillbank2View>(
        SendViewContext{notifier,
                        login,
                        transferText,
                        service.workdir(),
                        service.config(),
                        [this](long long total) { rejectTotals.push_back(total); },
                        {}});
    view->resize(750, 740);
}

void SendViewFixture::click(const char* button) const {
    auto* b = find<QPushButton>(button);
    if (!b)
        throw std::runtime_error(std::string("no button ") + button);
    b->click();
}

void SendViewFixture::choose(const char* combo, int index) const {
    auto* c = find<QComboBox>(combo);
    if (!c)
        throw std::runtime_error(std::string("no combo box ") + combo);
    c->setCurrentIndex(index);
    emit c->activated(index);
}

std::string SendViewFixture::cell(int row, int column) const {
    const auto* model = view->grid()->tableModel();
    const QVariant v =
        row == 0 ? model->headerData(column, Qt::Horizontal) : model->data(model->index(row - 1, column));
    return v.toString().toStdString();
}

} // namespace qb::test
