#include "send/ui/RecipientItemModel.h"

#include "common/QtText.h"
#include "import/RecipientTable.h"

#include <QBrush>
#include <QColor>

namespace qb {
namespace {

QVariant brushOf(const std::optional<Rgb>& colour) {
    if (!colour)
        return {};
    return QBrush(QColor(colour->r, colour->g, colour->b));
}

constexpr int kCellAlignment = Qt::AlignLeft | Qt::AlignVCenter;

} // namespace

RecipientItemModel::RecipientItemModel(const RecipientTable& table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table) {
    m_rows = std::max(0, table.rowCount() - 1);
    m_columns = table.columnCount();
    m_revision = table.revision();
    m_generation = table.generation();
}

int RecipientItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int RecipientItemModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QVariant RecipientItemModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row() + 1;
    switch (role) {
    case Qt::DisplayRole:
        return toQString(m_table.text(row, index.column()));
    case Qt::BackgroundRole:
        return brushOf(m_table.background(row, index.column()));
    case Qt::TextAlignmentRole:
        return kCellAlignment;
    default:
        return {};
    }
}

QVariant RecipientItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole && section >= 0 && section < m_rows)
            return section + 1;
        return {};
    }
    if (section < 0 || section >= m_columns)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return toQString(m_table.text(0, section));
    case Qt::BackgroundRole:
        return brushOf(m_table.background(0, section));
    case Qt::TextAlignmentRole:
        return kCellAlignment;
    default:
        return {};
    }
}

bool RecipientItemModel::sync() {
    const int rows = std::max(0, m_table.rowCount() - 1);
    const int columns = m_table.columnCount();
    if (rows != m_rows || columns != m_columns || m_generation != m_table.generation()) {
        beginResetModel();
        m_rows = rows;
        m_columns = columns;
        m_revision = m_table.revision();
        m_generation = m_table.generation();
        endResetModel();
        return true;
    }
    if (m_revision == m_table.revision())
        return false;
    m_revision = m_table.revision();
    if (m_columns > 0) {
        emit headerDataChanged(Qt::Horizontal, 0, m_columns - 1);
        if (m_rows > 0)
            emit dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1));
    }
    return false;
}

} // namespace qb
