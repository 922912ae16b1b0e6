#pragma once

#include <QAbstractTableModel>

#include <cstdint>

namespace qb {

class RecipientTable;

// The recipient table as a virtual Qt model: nothing is copied, cells are read
// from the table when a view paints them. Row 0 of the table is the horizontal
// header; model row r is table row r + 1.
//
// The table changes under the model inside the form's handlers; sync() tells the
// views afterwards. Until then the model keeps reporting the shape the views
// last saw, and cells it no longer has read empty.
class RecipientItemModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit RecipientItemModel(const RecipientTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // A reset (which also clears the views' selection) when the table was replaced
    // or the number of rows or columns changed, otherwise a repaint of everything when
    // anything changed, otherwise nothing. True after a reset.
    bool sync();

    const RecipientTable& table() const { return m_table; }

private:
    const RecipientTable& m_table;
    int m_rows = 0;
    int m_columns = 0;
    std::uint64_t m_revision = 0;
    std::uint64_t m_generation = 0;
};

} // namespace qb
