#include "SendViewFixture.h"

#include "send/ui/CGridCtrl.h"
#include "send/ui/RecipientTableModel.h"
#include "web/WebHost.h"

#include <QComboBox>
#include <QPushButton>

namespace qb::test {

SendViewFixture::SendViewFixture(bool loggedIn) {
    login.loggedIn = loggedIn;
    login.userId = "tester";
    view = std::make_unique<CQuillbank2View>(SendViewContext{
        notifier, login, settings, transferText, service.workdir(), WebHost::from(service.config()),
        [this](long long total) { rejectTotals.push_back(total); }});
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
