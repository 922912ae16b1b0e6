#include "common/ui/TickList.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <utility>

namespace qb {

QTableWidget* newTickList(QWidget* parent, const char* objectName, const QStringList& headers,
                          const std::vector<int>& widths, QAbstractItemView::SelectionMode selection) {
    auto* list = new QTableWidget(parent);
    list->setObjectName(objectName);
    list->setColumnCount(static_cast<int>(headers.size()));
    list->setHorizontalHeaderLabels(headers);
    for (int c = 0; c < static_cast<int>(widths.size()); ++c)
        list->setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
    list->horizontalHeader()->setStretchLastSection(true);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(selection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setWordWrap(false);
    return list;
}

QTableWidgetItem* newListItem(const QString& text, bool tick, bool ticked) {
    auto* item = new QTableWidgetItem(text);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (tick) {
        flags |= Qt::ItemIsUserCheckable;
        item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    }
    item->setFlags(flags);
    return item;
}

void onTickChanged(QTableWidget* list, QObject* context, std::function<void(int row, bool ticked)> changed) {
    QObject::connect(list, &QTableWidget::itemChanged, context,
                     [changed = std::move(changed)](QTableWidgetItem* item) {
                         if (item->column() == 0)
                             changed(item->row(), item->checkState() == Qt::Checked);
                     });
}

QPushButton* newDialogButton(const char* textUtf8, const char* objectName, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(textUtf8), parent);
    b->setObjectName(objectName);
    b->setAutoDefault(false);
    b->setMinimumWidth(80);
    return b;
}

void layOutListDialog(QDialog* dialog, QTableWidget* list, std::initializer_list<QPushButton*> left,
                      std::initializer_list<QPushButton*> right) {
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : left)
        buttons->addWidget(b);
    buttons->addStretch();
    for (QPushButton* b : right)
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(list, 1);
    layout->addLayout(buttons);
}

} // namespace qb
