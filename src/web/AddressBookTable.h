#pragma once

#include "web/AddressBook.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

class WebClient;

// One row of the address book window's table.
struct AddressTableRow {
    std::string ordinal; // "1", "2", ... in the order the rows were built
    std::string credate;
    std::string hpno;
    std::string name;
    std::string etc;
    bool ticked = false;
};

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
    const std::string& currentGroup() const { return m_group; }
    const std::vector<AddressTableRow>& rows() const { return m_rows; }

    void setTicked(std::size_t row, bool ticked);
    void tickAll(bool ticked);
    std::size_t tickedCount() const;
    // Name and phone of the ticked rows, in table order.
    std::vector<AddressPair> tickedPairs() const;

    // A click on a header: name, phone and date sort, each click on the same
    // header flipping the order (ascending first); other columns do nothing.
    // Texts compare byte by byte as unsigned values, a prefix first.
    void sortBy(int column);

    // After a successful modification, the row shows the new values.
    void updateRow(std::size_t row, std::string_view name, std::string_view hpno, std::string_view etc);

    // "입력": the ticked rows go to the send form as name 0x04 phone 0x02 each,
    // and the user is told how many. Logged out, the transfer text is emptied.
    // False when nothing went (the window closes when logged out).
    bool handOver(const WebClient& web, std::string& transferText, long long& total) const;

private:
    const AddressBook& m_book;
    std::string m_group;
    std::vector<AddressTableRow> m_rows;
    std::array<bool, 5> m_descending{}; // the order the next click on a header gives
};

} // namespace qb
