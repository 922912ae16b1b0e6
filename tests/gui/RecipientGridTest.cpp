#include "common/Cp949.h"
#include "import/RecipientTable.h"
#include "send/ui/CGridCtrl.h"
#include "send/ui/RecipientItemModel.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <array>

namespace qb::test {
namespace {

void fill(RecipientTable& t, int rows, int columns) {
    t.clear();
    t.setRowCount(rows + 1);
    t.setColumnCount(columns);
    t.setCell(0, 0, ko(" 번 호 "));
    for (int c = 1; c < columns; ++c)
        t.setCell(0, c, std::to_string(c) + ko(" 열"));
    const std::string name = ko("홍길동");
    for (int r = 1; r <= rows; ++r) {
        const std::string n = std::to_string(r), number = "0101234" + std::to_string(1000 + r);
        const std::array<std::string_view, 3> cells{n, number, name};
        t.setRow(r, std::span(cells.data(), std::min<std::size_t>(3, static_cast<std::size_t>(columns))));
    }
}

QString header(const QAbstractItemModel& m, int c) {
    return m.headerData(c, Qt::Horizontal).toString();
}

// Collects what Qt warns about while it lives; the model tester reports there.
class Warnings {
public:
    Warnings() { s_previous = qInstallMessageHandler(&Warnings::record); }
    ~Warnings() { qInstallMessageHandler(s_previous); }
    static QStringList& list() {
        static QStringList l;
        return l;
    }

private:
    static void record(QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg)
            list() << text;
    }
    static inline QtMessageHandler s_previous = nullptr;
};

} // namespace

TEST(RecipientItemModel, PassesTheTesterThroughLoadsMarksAndDeletes) {
    RecipientTable table;
    fill(table, 5, 3);
    RecipientItemModel model(table);
    Warnings::list().clear();
    Warnings warnings;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);

    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(header(model, 0), QString::fromUtf8(" 번 호 "));
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), "01012341002");
    EXPECT_EQ(model.data(model.index(4, 2)).toString(), QString::fromUtf8("홍길동"));
    EXPECT_EQ(model.data(model.index(0, 0), Qt::TextAlignmentRole).toInt(),
              static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter));

    // Same shape, new colours and header: a repaint, not a reset.
    table.setDataBackground(1, colours::numberColumn);
    table.setHeaderBackground(0, colours::header);
    table.setCell(0, 1, ko("수신번호"));
    EXPECT_FALSE(model.sync());
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(header(model, 1), QString::fromUtf8("수신번호"));
    EXPECT_EQ(model.data(model.index(2, 1), Qt::BackgroundRole).value<QBrush>().color(),
              QColor(234, 234, 243));
    EXPECT_FALSE(model.data(model.index(2, 2), Qt::BackgroundRole).isValid()); // the grid's own white
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::BackgroundRole).value<QBrush>().color(),
              QColor(236, 233, 216));
    EXPECT_FALSE(model.sync()); // nothing new: no signal at all
    EXPECT_EQ(changes.count(), 1);

    // Rows 2..4 deleted: the shape changes and the views start over.
    table.deleteRows(2, 3);
    EXPECT_TRUE(model.sync());
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), "5");

    // A preview-sized table replaces it.
    fill(table, 40, 6);
    EXPECT_TRUE(model.sync());
    EXPECT_EQ(model.columnCount(), 6);
    EXPECT_EQ(model.data(model.index(39, 5)).toString(), "");
    // Another table of the same shape is still another table.
    fill(table, 40, 6);
    EXPECT_TRUE(model.sync());
    EXPECT_EQ(resets.count(), 3);

    // Emptied to nothing and back.
    table.clear();
    EXPECT_TRUE(model.sync());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
    fill(table, 1, 1);
    EXPECT_TRUE(model.sync());
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(Warnings::list().join("\n").toStdString(), "");
}

TEST(RecipientItemModel, ReadsEmptyWhereTheTableShrankBeforeTheViewsHeard) {
    RecipientTable table;
    fill(table, 100, 3);
    RecipientItemModel model(table);
    // A load in progress: the table is already small, the views still see 100 rows.
    table.clear();
    table.setRowCount(2);
    table.setColumnCount(1);
    EXPECT_EQ(model.rowCount(), 100);
    EXPECT_EQ(model.data(model.index(99, 2)).toString(), "");
    EXPECT_EQ(header(model, 2), "");
    EXPECT_FALSE(model.data(model.index(50, 1), Qt::BackgroundRole).isValid());
}

TEST(CGridCtrl, SelectionGivesTableRowsAndTheRowNumberColumnTakesWholeRows) {
    RecipientTable table;
    fill(table, 10, 3);
    CGridCtrl grid(table);
    grid.resize(400, 300);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));

    EXPECT_EQ(grid.selectedRange().minRow, -1);
    EXPECT_EQ(grid.selectedRange().maxCol, -1);

    // Model rows 2..4 of column 1, as a drag would select them.
    grid.setCurrentIndex(grid.model()->index(2, 1));
    grid.selectionModel()->select(QItemSelection(grid.model()->index(2, 1), grid.model()->index(4, 2)),
                                  QItemSelectionModel::ClearAndSelect);
    const CellRange r = grid.selectedRange();
    EXPECT_EQ(r.minRow, 3);
    EXPECT_EQ(r.maxRow, 5);
    EXPECT_EQ(r.minCol, 1);
    EXPECT_EQ(r.maxCol, 2);

    // A click on a row number selects that whole row.
    const QRect cell = grid.visualRect(grid.model()->index(6, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    const CellRange row = grid.selectedRange();
    EXPECT_EQ(row.minRow, 7);
    EXPECT_EQ(row.maxRow, 7);
    EXPECT_EQ(row.minCol, 0);
    EXPECT_EQ(row.maxCol, 2);

    // Rows never grow to their content.
    EXPECT_EQ(grid.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_EQ(grid.rowHeight(0), grid.rowHeight(9));
}

TEST(CGridCtrl, TipsShowOnlyTextThatDoesNotFitAndTheFormsWidthsApply) {
    RecipientTable table;
    fill(table, 3, 3);
    table.setCell(2, 2, ko("아주 긴 내용이 들어 있어서 칸에 다 보이지 않는 글"));
    table.setColumnWidth(1, 100);
    CGridCtrl grid(table);
    grid.sync();
    grid.resize(500, 200);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    EXPECT_EQ(grid.columnWidth(0), CGridCtrl::kRowNumberWidth);
    EXPECT_EQ(grid.columnWidth(1), 100);
    EXPECT_EQ(grid.columnWidth(2), CGridCtrl::kDefaultColumnWidth);

    const QPoint cutOff = grid.visualRect(grid.model()->index(1, 2)).center();
    const QPoint fits = grid.visualRect(grid.model()->index(0, 1)).center();
    EXPECT_EQ(grid.tipTextAt(cutOff),
              QString::fromUtf8(" 아주 긴 내용이 들어 있어서 칸에 다 보이지 않는 글 "));
    EXPECT_EQ(grid.tipTextAt(fits), "");
    EXPECT_EQ(grid.tipTextAt(QPoint(480, 190)), ""); // below the last row

    // A width the user dragged survives a repaint-only change, not a new width.
    grid.setColumnWidth(2, 300);
    EXPECT_EQ(grid.tipTextAt(grid.visualRect(grid.model()->index(1, 2)).center()), "");
    table.setDataBackground(1, colours::numberColumn);
    grid.sync();
    EXPECT_EQ(grid.columnWidth(2), 300);
    table.setColumnWidth(2, 150);
    grid.sync();
    EXPECT_EQ(grid.columnWidth(2), 150);
}

} // namespace qb::test
