#include "web/ui/CallbackNumberDialog.h"

#include "common/QtText.h"
#include "common/ui/TickList.h"

#include <QHeaderView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>

namespace qb {

CallbackNumberDialog::CallbackNumberDialog(WebClient& web, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_callbacks(web) {
    setObjectName("callbackNumberDialog");
    setWindowTitle(QString::fromUtf8("회신번호관리"));

    m_list = newTickList(this, "callbackList", {QString::fromUtf8("회신번호"), QString::fromUtf8("등록일")},
                         {130, 150}, QAbstractItemView::SingleSelection);
    m_list->setAccessibleName(QString::fromUtf8("회신번호 목록"));
    onTickChanged(m_list, this, [this](int row, bool ticked) {
        m_callbacks.setTicked(static_cast<std::size_t>(row), ticked);
    });

    auto* removeButton = newDialogButton("삭제", "remove", this);
    auto* closeButton = newDialogButton("닫기", "close", this);
    connect(removeButton, &QPushButton::clicked, this, &CallbackNumberDialog::deleteTicked);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    layOutListDialog(this, m_list, {}, {removeButton, closeButton});
    resize(330, 320);

    m_callbacks.load();
    showRows();
}

void CallbackNumberDialog::showRows() {
    const QSignalBlocker block(m_list);
    const auto& rows = m_callbacks.rows();
    m_list->clearContents();
    m_list->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const CallbackRow& row = rows[static_cast<std::size_t>(r)];
        m_list->setItem(r, 0, newListItem(toQString(row.number), true, row.ticked));
        m_list->setItem(r, 1, newListItem(toQString(row.date)));
    }
}

void CallbackNumberDialog::deleteTicked() {
    m_callbacks.deleteTicked();
    showRows();
}

} // namespace qb
