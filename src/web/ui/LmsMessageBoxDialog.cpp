#include "web/ui/LmsMessageBoxDialog.h"

#include "common/QtText.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace qb {

LmsMessageBoxDialog::LmsMessageBoxDialog(WebClient& web, std::string pictureFolder,
                                         SavedMessageTarget& target, QWidget* parent)
    : TitledMessageDialog(SavedKind::Lms, web, std::move(pictureFolder), target, parent) {
    setObjectName("lmsMessageBox");

    QGridLayout* grid = slotGrid();
    for (int k = 1; k <= kSlots; ++k) {
        const QString name = slotName(k);
        addTitle(k, name, grid);
        auto* body = new QPlainTextEdit(this);
        body->setObjectName(QString("body%1").arg(k));
        body->setFixedSize(190, 300);
        body->setTabChangesFocus(true);
        body->setStyleSheet("background: white;");
        body->viewport()->setCursor(Qt::PointingHandCursor);
        chooseOnDoubleClick(body->viewport(), k);
        m_bodies[static_cast<std::size_t>(k - 1)] = body;
        body->setAccessibleName(name + QString::fromUtf8(" 내용"));
        grid->addWidget(body, 1, k - 1);
        addSlotButtons(k, name, grid, 2, k - 1);
    }
    finish(grid, "[LMS] 메세지 저장함");
}

void LmsMessageBoxDialog::showSlot(int k, const SavedSlot& slot) {
    showTitle(k, slot);
    bodyEdit(k)->setPlainText(slot.filled ? toEditText(slot.body) : QString());
}

std::pair<std::string, std::string> LmsMessageBoxDialog::slotTexts(int k) const {
    return {fromEditText(titleEdit(k)->text()), fromEditText(bodyEdit(k)->toPlainText())};
}

} // namespace qb
