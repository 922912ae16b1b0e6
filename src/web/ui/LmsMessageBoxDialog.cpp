#include "web/ui/LmsMessageBoxDialog.h"

#include "common/QtText.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace qb {

LmsMessageBoxDialog::LmsMessageBoxDialog(WebClient& web, std::string pictureFolder,
                                         SavedMessageTarget& target, QWidget* parent)
    : SavedMessageDialog(SavedKind::Lms, web, std::move(pictureFolder), target, parent) {
    setObjectName("lmsMessageBox");

    QGridLayout* grid = slotGrid();
    for (int k = 1; k <= kSlots; ++k) {
        auto* title = new QLineEdit(this);
        title->setObjectName(QString("title%1").arg(k));
        auto* body = new QPlainTextEdit(this);
        body->setObjectName(QString("body%1").arg(k));
        body->setFixedSize(190, 300);
        title->setFixedWidth(190);
        title->setCursor(Qt::PointingHandCursor);
        chooseOnDoubleClick(title, k);
        body->viewport()->setCursor(Qt::PointingHandCursor);
        chooseOnDoubleClick(body->viewport(), k);
        for (QWidget* w : {static_cast<QWidget*>(title), static_cast<QWidget*>(body)})
            w->setStyleSheet("background: white;");
        m_titles[static_cast<std::size_t>(k - 1)] = title;
        m_bodies[static_cast<std::size_t>(k - 1)] = body;
        const QString name = slotName(k);
        title->setAccessibleName(name + QString::fromUtf8(" 제목"));
        body->setAccessibleName(name + QString::fromUtf8(" 내용"));

        grid->addWidget(title, 0, k - 1);
        grid->addWidget(body, 1, k - 1);
        addSlotButtons(k, name, grid, 2, k - 1);
    }
    finish(grid, "[LMS] 메세지 저장함");
}

void LmsMessageBoxDialog::showSlot(int k, const SavedSlot& slot) {
    titleEdit(k)->setText(slot.filled ? toEditText(slot.title) : QString());
    titleEdit(k)->setCursorPosition(0);
    bodyEdit(k)->setPlainText(slot.filled ? toEditText(slot.body) : QString());
}

std::pair<std::string, std::string> LmsMessageBoxDialog::slotTexts(int k) const {
    return {fromEditText(titleEdit(k)->text()), fromEditText(bodyEdit(k)->toPlainText())};
}

} // namespace qb
