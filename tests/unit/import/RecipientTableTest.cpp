#include "import/RecipientTable.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

using namespace qb;

TEST(RecipientTable, CellsOutsideTheGridAreRefusedAndReadEmpty) {
    RecipientTable t;
    t.setRowCount(3);
    t.setColumnCount(2);
    EXPECT_TRUE(t.setCell(0, 1, "head"));
    EXPECT_TRUE(t.setCell(2, 1, "x"));
    EXPECT_FALSE(t.setCell(3, 0, "no"));
    EXPECT_FALSE(t.setCell(1, 2, "no"));
    EXPECT_FALSE(t.setCell(-1, 0, "no"));
    EXPECT_EQ(t.text(0, 1), "head");
    EXPECT_EQ(t.text(2, 1), "x");
    EXPECT_EQ(t.text(1, 1), "");
    EXPECT_EQ(t.text(3, 0), "");
    EXPECT_FALSE(t.setColumnWidth(2, 10));
    EXPECT_FALSE(t.setColumnWidth(1, -1));
    EXPECT_FALSE(t.deleteRows(3, 1));
    EXPECT_FALSE(t.deleteRows(0, 1));
}

TEST(RecipientTable, RewritingCellsKeepsTheOthers) {
    RecipientTable t;
    t.setRowCount(3);
    t.setColumnCount(4);
    const std::array<std::string_view, 3> row{"1", "alpha", "beta"};
    ASSERT_TRUE(t.setRow(1, row));
    t.setCell(1, 1, "ALPHA-LONGER");
    t.setCell(1, 3, "gamma");
    t.setCell(2, 2, "lonely");
    EXPECT_EQ(t.text(1, 0), "1");
    EXPECT_EQ(t.text(1, 1), "ALPHA-LONGER");
    EXPECT_EQ(t.text(1, 2), "beta");
    EXPECT_EQ(t.text(1, 3), "gamma");
    EXPECT_EQ(t.text(2, 1), "");
    EXPECT_EQ(t.text(2, 2), "lonely");
}

TEST(RecipientTable, RemovedColumnsDoNotComeBackWhenTheGridGrows) {
    RecipientTable t;
    t.setRowCount(2);
    t.setColumnCount(3);
    const std::array<std::string_view, 3> row{"1", "a", "b"};
    t.setRow(1, row);
    t.setCell(0, 2, "h2");
    t.setColumnCount(2);
    t.setColumnCount(3);
    EXPECT_EQ(t.text(1, 1), "a");
    EXPECT_EQ(t.text(1, 2), "");
    EXPECT_EQ(t.text(0, 2), "");
}

TEST(RecipientTable, DeletingRowsMovesLaterRowsUpAndSurvivesCompaction) {
    RecipientTable t;
    const int rows = 5000;
    t.setRowCount(rows + 1);
    t.setColumnCount(2);
    const std::string filler(1000, 'x');
    for (int r = 1; r <= rows; ++r) {
        const std::string label = std::to_string(r);
        const std::array<std::string_view, 2> cells{label, filler};
        t.setRow(r, cells);
    }
    ASSERT_TRUE(t.deleteRows(3, 3));
    EXPECT_EQ(t.rowCount(), rows - 2);
    EXPECT_EQ(t.text(2, 0), "2");
    EXPECT_EQ(t.text(3, 0), "6");
    // Rewriting most rows leaves mostly garbage, which is given back.
    for (int r = 1; r < t.rowCount(); ++r)
        t.setCell(r, 1, "y");
    EXPECT_LT(t.arenaBytes(), std::size_t(rows) * filler.size() / 2);
    EXPECT_EQ(t.text(t.rowCount() - 1, 0), std::to_string(rows));
    EXPECT_EQ(t.text(t.rowCount() - 1, 1), "y");
}

// Rows made apart (on another thread) read back as setRow would have stored them,
// over rows already there.
TEST(RecipientTable, RowsMadeApartMatchRowsSetOneByOne) {
    const std::string longCell(700, 'L');
    const std::vector<std::vector<std::string_view>> rows{
        {"1", "a", "b"}, {"2", "", "c", "", ""}, {},
        {"", "", ""},    {"5", longCell, "x"},   {"6", "a", "b", "past", "the end"},
    };
    RecipientTable oneByOne, apart;
    for (RecipientTable* t : {&oneByOne, &apart}) {
        t->setRowCount(9);
        t->setColumnCount(3);
        for (int r = 1; r < 9; ++r)
            t->setCell(r, 1, "old" + std::to_string(r));
    }
    RowBlobs blobs;
    blobs.clear(3);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        oneByOne.setRow(static_cast<int>(i) + 2, rows[i]);
        blobs.add(rows[i]);
    }
    ASSERT_TRUE(apart.setRows(2, blobs));
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(apart.text(r, c), oneByOne.text(r, c)) << r << "," << c;

    EXPECT_FALSE(apart.setRows(0, blobs));
    EXPECT_FALSE(apart.setRows(4, blobs)); // six rows from 4 pass the last (8)
    EXPECT_TRUE(apart.setRows(3, blobs));
    blobs.clear(4);
    EXPECT_FALSE(apart.setRows(1, blobs)); // made for more columns than there are
}

TEST(RecipientTable, BackgroundsAreKeptPerColumnForHeaderAndData) {
    RecipientTable t;
    t.setRowCount(3);
    t.setColumnCount(3);
    t.setHeaderBackground(0, colours::header);
    t.setDataBackground(2, colours::numberColumn);
    EXPECT_EQ(t.background(0, 0), colours::header);
    EXPECT_EQ(t.background(1, 0), std::nullopt);
    EXPECT_EQ(t.background(0, 2), std::nullopt);
    EXPECT_EQ(t.background(2, 2), colours::numberColumn);
    EXPECT_EQ(t.background(3, 2), std::nullopt);
}

TEST(RecipientTable, EveryAcceptedChangeMovesTheRevisionAndNothingElseDoes) {
    RecipientTable t;
    t.setRowCount(3);
    t.setColumnCount(2);
    const std::array<std::string_view, 2> row{"1", "a"};
    struct Step {
        const char* what;
        std::function<bool()> act;
        bool changes;
    };
    const std::vector<Step> steps{
        {"setCell", [&] { return t.setCell(1, 1, "x"); }, true},
        {"setCell outside", [&] { return t.setCell(9, 1, "x"); }, false},
        {"setRow", [&] { return t.setRow(2, row); }, true},
        {"setRow outside", [&] { return t.setRow(0, row); }, false},
        {"header background", [&] { return t.setHeaderBackground(1, colours::header); }, true},
        {"data background", [&] { return t.setDataBackground(1, colours::white); }, true},
        {"data background outside", [&] { return t.setDataBackground(5, colours::white); }, false},
        {"width", [&] { return t.setColumnWidth(1, 100); }, true},
        {"width refused", [&] { return t.setColumnWidth(1, -3); }, false},
        {"read", [&] { return !t.text(1, 1).empty() && t.background(1, 1).has_value(); }, false},
        {"reserve",
         [&] {
             t.reserveText(1000);
             return true;
         },
         false},
        {"delete", [&] { return t.deleteRows(1, 1); }, true},
        {"delete outside", [&] { return t.deleteRows(7, 1); }, false},
        {"row count",
         [&] {
             t.setRowCount(5);
             return true;
         },
         true},
        {"column count",
         [&] {
             t.setColumnCount(4);
             return true;
         },
         true},
        {"clear",
         [&] {
             t.clear();
             return true;
         },
         true},
    };
    for (const Step& s : steps) {
        const std::uint64_t before = t.revision();
        s.act();
        EXPECT_EQ(t.revision() != before, s.changes) << s.what;
    }
}
