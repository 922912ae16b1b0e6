#pragma once

#include "web/AddressBook.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

class WebClient;

// One row of the address book window's table: which entry of the book it shows.
// The texts are read from the entry when a view asks, so a row costs a few bytes
// and the entry keeps the service's whole values.
struct AddressTableRow {
    std::uint32_t entry = 0;   // index into the book's entries
    std::uint32_t ordinal = 0; // 1, 2, ... in the order the rows were built
    bool ticked = false;
};

// A column of the table as the window lays it out.
struct AddressColumn {
    std::string title; // CP949
    int alignment = 0; // 1 centred, 2 right, anything else left
    int width = 0;     // pixels
    bool operator==(const AddressColumn&) const = default;
};

// The columns from their description: entries separated by ';', each a title,
// an alignment and a width separated by commas. Entries without three parts are
// skipped; a width or alignment that is not a number reads as 0.
std::vector<AddressColumn> parseColumns(std::string_view text);
// The window's five columns: tick and ordinal, name, phone, memo, date.
const std::vector<AddressColumn>& addressColumns();

// The address book window's table: the entries of the group selected in the
// tree, their ticks, and sorting by a column header.
class AddressBookTable {
public:
    enum Column { Tick = 0, Name = 1, Phone = 2, Memo = 3, Date = 4 };

    explicit AddressBookTable(const AddressBook& book) : m_book(book) {}

    // The tree item's text: the root "주소록" or a group name.
    void selectGroup(std::string_view group);
    // Rows again from the book for the current group, ticks cleared.
    void rebuild();
    // No rows (the book is being reloaded under the table).
    void clear();
    const std::string& currentGroup() const { return m_group; }
    const std::vector<AddressTableRow>& rows() const { return m_rows; }
    std::size_t rowCount() const { return m_rows.size(); }

    // The cell as the table shows it: column 0 the ordinal, the others the
    // entry's value cut to its field's width. Empty outside the table.
    std::string text(std::size_t row, int column) const;
    // The entry a row shows, with the service's whole values; null outside the table.
    const AddressEntry* entry(std::size_t row) const;

    bool ticked(std::size_t row) const { return row < m_rows.size() && m_rows[row].ticked; }
    void setTicked(std::size_t row, bool ticked);
    // The header of column 0: its tick flips and every row takes it.
    void toggleAll();
    bool allTicked() const { return m_headerTicked; }
    void tickAll(bool ticked);
    std::size_t tickedCount() const;
    // Name and phone of the ticked rows, in table order, as the service holds them.
    std::vector<AddressPair> tickedPairs() const;

    // A click on a header: name, phone and date sort, each click on the same
    // header flipping the order (ascending first); other columns do nothing.
    // Texts compare byte by byte as unsigned values, a prefix first.
    void sortBy(int column);

    // "입력": the ticked rows go to the send form as name 0x04 phone 0x02 each,
    // and the user is told how many. A row whose name or phone holds 0x00, 0x02
    // or 0x04 would split into other recipients: it is left out, and the user
    // told how many were. Logged out, the transfer text is emptied. False when
    // nothing went (the window closes when logged out).
    bool handOver(const WebClient& web, std::string& transferText, long long& total) const;

    // Changes when the rows change (their number, order or entries), and when
    // only ticks or texts change; a view resets on the first, repaints on the second.
    std::uint64_t rowsRevision() const { return m_rowsRevision; }
    std::uint64_t cellsRevision() const { return m_cellsRevision; }
    // The book changed an entry in place (a modification): the texts are new.
    void entriesChanged() { ++m_cellsRevision; }

private:
    const AddressBook& m_book;
    std::string m_group;
    std::vector<AddressTableRow> m_rows;
    std::array<bool, 5> m_descending{}; // the order the next click on a header gives
    bool m_headerTicked = false;
    std::uint64_t m_rowsRevision = 0;
    std::uint64_t m_cellsRevision = 0;
};

} // namespace qb
