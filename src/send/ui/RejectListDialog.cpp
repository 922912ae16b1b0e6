#include "send/ui/RejectListDialog.h"

#include "common/QtText.h"
#include "common/ui/FileDialog.h"
#include "send/ui/FormWidgetDialogs.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qb {

RejectListDialog::RejectListDialog(RejectTable table, Notifier& notifier, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_model(std::move(table)), m_notifier(notifier), m_list(new QTableWidget(this)) {
    setObjectName("rejectListDialog");
    setWindowTitle(QString::fromUtf8("수신거부 목록"));

    const auto headers = RejectListModel::headers();
    const auto widths = RejectListModel::columnWidths();
    m_list->setObjectName("rejectList");
    m_list->setColumnCount(static_cast<int>(headers.size()));
    QStringList labels;
    for (const std::string& h : headers)
        labels << toQString(h);
    m_list->setHorizontalHeaderLabels(labels);
    for (int c = 0; c < static_cast<int>(widths.size()); ++c)
        m_list->setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);
    connect(m_list, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() != 0)
            return;
        const bool checked = item->checkState() == Qt::Checked;
        const auto& rows = m_model.rows();
        if (item->row() < static_cast<int>(rows.size()) &&
            rows[static_cast<std::size_t>(item->row())].ticked != checked) {
            m_model.toggle(item->row());
            const QSignalBlocker block(m_list);
            item->setText(toQString(m_model.cell(item->row(), 0)));
        }
    });

    auto* addButton = new QPushButton(QString::fromUtf8("추가"), this);
    auto* removeButton = new QPushButton(QString::fromUtf8("삭제"), this);
    auto* applyButton = new QPushButton(QString::fromUtf8("적용"), this);
    auto* closeButton = new QPushButton(QString::fromUtf8("닫기"), this);
    addButton->setObjectName("add");
    removeButton->setObjectName("remove");
    applyButton->setObjectName("apply");
    closeButton->setObjectName("close");
    for (QPushButton* b : {addButton, removeButton, applyButton, closeButton}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(80);
    }
    connect(addButton, &QPushButton::clicked, this, &RejectListDialog::add);
    connect(removeButton, &QPushButton::clicked, this, &RejectListDialog::removeSelected);
    connect(applyButton, &QPushButton::clicked, this, &RejectListDialog::apply);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton);
    buttons->addWidget(removeButton);
    buttons->addStretch();
    buttons->addWidget(applyButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
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
            auto* item = new QTableWidgetItem(c == 0 ? toQString(text) : fromNativePath(text));
            item->setTextAlignment(Qt::AlignCenter);
            item->setToolTip(c == 2 ? item->text() : QString());
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (c == 0) {
                flags |= Qt::ItemIsUserCheckable;
                item->setCheckState(rows[static_cast<std::size_t>(r)].ticked ? Qt::Checked : Qt::Unchecked);
            }
            item->setFlags(flags);
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
