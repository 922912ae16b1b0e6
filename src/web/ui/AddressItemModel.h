#pragma once

#include <QAbstractTableModel>
#include <QHeaderView>

#include <cstdint>

namespace qb {

class AddressBookTable;

// The address book window's table as a virtual Qt model: the rows stay in the
// table, and cells are read when a view paints them. Column 0 carries the tick
// box and the ordinal; every cell is centred, black on light yellow.
//
// The table changes under the model inside the window's actions; sync() tells
// the views afterwards. Until then the model keeps the row count the views last
// saw, and rows it no longer has read empty.
class AddressItemModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit AddressItemModel(AddressBookTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Section 0 answers Qt::CheckStateRole with the tick-all state.
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // A reset when the rows changed, a repaint when only ticks or texts did. True after a reset.
    bool sync();

private:
    AddressBookTable& m_table;
    int m_rows = 0;
    std::uint64_t m_rowsRevision = 0;
    std::uint64_t m_cellsRevision = 0;
};

// The table's header: section 0 draws the tick-all box in the state the model gives.
class TickAllHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit TickAllHeader(QWidget* parent = nullptr) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

} // namespace qb
