#include "send/ui/RejectListDialog.h"

#include "common/QtText.h"
#include "common/ui/FileDialog.h"
#include "common/ui/TickList.h"
#include "send/ui/FormWidgetDialogs.h"

#include <QHeaderView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>

namespace qb {

RejectListDialog::RejectListDialog(RejectTable table, Notifier& notifier, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_model(std::move(table)), m_notifier(notifier) {
    setObjectName("rejectListDialog");
    setWindowTitle(QString::fromUtf8("수신거부 목록"));

    const auto headers = RejectListModel::headers();
    const auto widths = RejectListModel::columnWidths();
    QStringList labels;
    for (const std::string& h : headers)
        labels << toQString(h);
    m_list = newTickList(this, "rejectList", labels, std::vector<int>(widths.begin(), widths.end()),
                         QAbstractItemView::ExtendedSelection);
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_list->setAccessibleName(QString::fromUtf8("수신거부 목록"));
    onTickChanged(m_list, this, [this](int row, bool ticked) {
        const auto& rows = m_model.rows();
        if (row < static_cast<int>(rows.size()) && rows[static_cast<std::size_t>(row)].ticked != ticked) {
            m_model.toggle(row);
            const QSignalBlocker block(m_list);
            m_list->item(row, 0)->setText(toQString(m_model.cell(row, 0)));
        }
    });

    auto* addButton = newDialogButton("추가", "add", this);
    auto* removeButton = newDialogButton("삭제", "remove", this);
    auto* applyButton = newDialogButton("적용", "apply", this);
    auto* closeButton = newDialogButton("닫기", "close", this);
    connect(addButton, &QPushButton::clicked, this, &RejectListDialog::add);
    connect(removeButton, &QPushButton::clicked, this, &RejectListDialog::removeSelected);
    connect(applyButton, &QPushButton::clicked, this, &RejectListDialog::apply);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    layOutListDialog(this, m_list, {addButton, removeButton}, {applyButton, closeButton});
    resize(590, 330);

    m_model.load();
    showRows();
}

void RejectListDialog::showRows() {
    const QSignalBlocker block(m_list);
    const auto& rows = m_model.rows();
    m_list->clearContents();
    m_list->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        for (int c = 0; c < 3; ++c) {
            // The name and the path are the file system's, the tick's text is ours.
            const std::string text = m_model.cell(r, c);
            auto* item = newListItem(c == 0 ? toQString(text) : fromNativePath(text), c == 0,
                                     rows[static_cast<std::size_t>(r)].ticked);
            item->setTextAlignment(Qt::AlignCenter);
            item->setToolTip(c == 2 ? item->text() : QString());
            m_list->setItem(r, c, item);
        }
    }
}

void RejectListDialog::add() {
    const QString path = FileDialog::getOpenFileName(this, QString(), QString(),
                                                     fileFilter("텍스트화일 (*.txt, *.dat)", "*.txt;*.dat"),
                                                     QFileDialog::HideNameFilterDetails);
    if (path.isEmpty())
        return;
    if (m_model.add(nativePath(path), m_notifier))
        showRows();
}

void RejectListDialog::removeSelected() {
    std::vector<int> selected;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        selected.push_back(index.row());
    if (m_model.removeRows(std::move(selected), m_notifier))
        showRows();
}

void RejectListDialog::apply() {
    m_appliedTotal = m_model.apply(m_notifier);
    if (m_appliedTotal)
        accept();
}

} // namespace qb
