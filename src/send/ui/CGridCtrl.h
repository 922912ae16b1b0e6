#pragma once

#include "import/RecipientTable.h"

#include <QTableView>

#include <vector>

namespace qb {

class RecipientItemModel;

// The send form's recipient grid: a table view over the recipient table with its
// header row, the colours the form sets, a rectangular cell selection and tips
// for cut-off texts. Rows have one fixed height, so a million of them cost no
// more to lay out than ten.
class CGridCtrl : public QTableView {
    Q_OBJECT

public:
    static constexpr int kDefaultColumnWidth = 96;
    static constexpr int kRowNumberWidth = 56;

    CGridCtrl(const RecipientTable& table, QWidget* parent = nullptr);

    RecipientItemModel* tableModel() const { return m_model; }

    // After the form's handlers: shows what changed in the table.
    void sync();

    // The selected cells' bounding rectangle in table coordinates (row 0 is the
    // header row); all -1 when nothing is selected.
    CellRange selectedRange() const;

    // The text a tip shows for the cell at `pos` of the viewport; empty when the
    // cell's text fits.
    QString tipTextAt(const QPoint& pos) const;

protected:
    bool viewportEvent(QEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;

private:
    void applyColumnWidths(bool force);

    const RecipientTable& m_table;
    RecipientItemModel* m_model;
    std::vector<int> m_appliedWidths;
};

} // namespace qb
