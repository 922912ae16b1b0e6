#include "web/ui/AddressItemModel.h"

#include "common/QtText.h"
#include "web/AddressBookTable.h"

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QStyleOptionButton>

namespace qb {
namespace {

constexpr int kColumns = 5;

int alignmentOf(int code) {
    switch (code) {
    case 1:
        return Qt::AlignCenter;
    case 2:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

const AddressColumn* column(int section) {
    const auto& columns = addressColumns();
    return section >= 0 && section < static_cast<int>(columns.size())
               ? &columns[static_cast<std::size_t>(section)]
               : nullptr;
}

} // namespace

AddressItemModel::AddressItemModel(AddressBookTable& table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table), m_rows(static_cast<int>(table.rowCount())),
      m_rowsRevision(table.rowsRevision()), m_cellsRevision(table.cellsRevision()) {}

int AddressItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int AddressItemModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant AddressItemModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return toQString(m_table.text(row, index.column()));
    case Qt::CheckStateRole:
        if (index.column() == 0)
            return m_table.ticked(row) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::BackgroundRole:
        return QBrush(QColor(253, 255, 193));
    case Qt::ForegroundRole:
        return QBrush(Qt::black);
    case Qt::TextAlignmentRole:
        if (const AddressColumn* c = column(index.column()))
            return alignmentOf(c->alignment);
        return {};
    default:
        return {};
    }
}

bool AddressItemModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != 0 || index.row() >= m_rows)
        return false;
    m_table.setTicked(static_cast<std::size_t>(index.row()), value.toInt() == Qt::Checked);
    m_cellsRevision = m_table.cellsRevision();
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags AddressItemModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant AddressItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    const AddressColumn* c = column(section);
    if (!c)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return toQString(c->title);
    case Qt::TextAlignmentRole:
        return alignmentOf(c->alignment);
    case Qt::CheckStateRole:
        if (section == 0)
            return m_table.allTicked() ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool AddressItemModel::sync() {
    if (m_rowsRevision != m_table.rowsRevision() || m_rows != static_cast<int>(m_table.rowCount())) {
        beginResetModel();
        m_rows = static_cast<int>(m_table.rowCount());
        m_rowsRevision = m_table.rowsRevision();
        m_cellsRevision = m_table.cellsRevision();
        endResetModel();
        emit headerDataChanged(Qt::Horizontal, 0, 0);
        return true;
    }
    if (m_cellsRevision == m_table.cellsRevision())
        return false;
    m_cellsRevision = m_table.cellsRevision();
    emit headerDataChanged(Qt::Horizontal, 0, 0);
    if (m_rows > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, kColumns - 1));
    return false;
}

void TickAllHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    if (logicalIndex != 0 || !model())
        return;
    QStyleOptionButton box;
    const QSize size = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &box, this).size();
    box.rect = QRect(rect.left() + (rect.width() - size.width()) / 2,
                     rect.top() + (rect.height() - size.height()) / 2, size.width(), size.height());
    box.state = QStyle::State_Enabled |
                (model()->headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt() == Qt::Checked
                     ? QStyle::State_On
                     : QStyle::State_Off);
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, this);
}

} // namespace qb
