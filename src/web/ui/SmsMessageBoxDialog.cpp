#include "web/ui/SmsMessageBoxDialog.h"

#include "common/QtText.h"

#include <QGridLayout>
#include <QPlainTextEdit>

namespace qb {

SmsMessageBoxDialog::SmsMessageBoxDialog(WebClient& web, std::string pictureFolder,
                                         SavedMessageTarget& target, QWidget* parent)
    : SavedMessageDialog(SavedKind::Sms, web, std::move(pictureFolder), target, parent) {
    setObjectName("smsMessageBox");

    QGridLayout* grid = slotGrid();
    for (int k = 1; k <= kSlots; ++k) {
        auto* edit = new QPlainTextEdit(this);
        edit->setObjectName(QString("slot%1").arg(k));
        edit->setFixedSize(150, 110);
        edit->setTabChangesFocus(true);
        edit->setStyleSheet("QPlainTextEdit { background: white; }");
        edit->viewport()->setCursor(Qt::PointingHandCursor);
        chooseOnDoubleClick(edit->viewport(), k);
        m_slots[static_cast<std::size_t>(k - 1)] = edit;
        const QString name = slotName(k);
        edit->setAccessibleName(name);

        const int row = (k - 1) / 3 * 2, column = (k - 1) % 3;
        grid->addWidget(edit, row, column);
        addSlotButtons(k, name, grid, row + 1, column);
    }
    finish(grid, "메세지 저장함");
}

void SmsMessageBoxDialog::showSlot(int k, const SavedSlot& slot) {
    slotEdit(k)->setPlainText(slot.filled ? toEditText(slot.body) : QString());
}

std::pair<std::string, std::string> SmsMessageBoxDialog::slotTexts(int k) const {
    return {std::string(), fromEditText(slotEdit(k)->toPlainText())};
}

} // namespace qb
