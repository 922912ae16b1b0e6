#include "web/ui/CallbackNumberDialog.h"

#include "common/QtText.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qb {

CallbackNumberDialog::CallbackNumberDialog(WebClient& web, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_callbacks(web),
      m_list(new QTableWidget(this)) {
    setObjectName("callbackNumberDialog");
    setWindowTitle(QString::fromUtf8("회신번호관리"));

    m_list->setObjectName("callbackList");
    m_list->setColumnCount(2);
    m_list->setHorizontalHeaderLabels({QString::fromUtf8("회신번호"), QString::fromUtf8("등록일")});
    m_list->setColumnWidth(0, 130);
    m_list->setColumnWidth(1, 150);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);
    connect(m_list, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == 0)
            m_callbacks.setTicked(static_cast<std::size_t>(item->row()), item->checkState() == Qt::Checked);
    });

    auto* removeButton = new QPushButton(QString::fromUtf8("삭제"), this);
    auto* closeButton = new QPushButton(QString::fromUtf8("닫기"), this);
    removeButton->setObjectName("remove");
    closeButton->setObjectName("close");
    for (QPushButton* b : {removeButton, closeButton}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(80);
    }
    connect(removeButton, &QPushButton::clicked, this, &CallbackNumberDialog::deleteTicked);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(removeButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
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
        auto* number = new QTableWidgetItem(toQString(row.number));
        number->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        number->setCheckState(row.ticked ? Qt::Checked : Qt::Unchecked);
        auto* date = new QTableWidgetItem(toQString(row.date));
        date->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_list->setItem(r, 0, number);
        m_list->setItem(r, 1, date);
    }
}

void CallbackNumberDialog::deleteTicked() {
    m_callbacks.deleteTicked();
    showRows();
}

} // namespace qb
