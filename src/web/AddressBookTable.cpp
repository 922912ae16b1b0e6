#include "web/AddressBookTable.h"

#include "common/Cp949.h"
#include "common/Notifier.h"
#include "web/WebClient.h"
#include "web/WebText.h"

#include <algorithm>

namespace qb {

void AddressBookTable::selectGroup(std::string_view group) {
    m_group = group;
    rebuild();
}

void AddressBookTable::rebuild() {
    m_rows.clear();
    for (const AddressEntry& e : m_book.entries()) {
        if (e.groupname != m_group)
            continue;
        m_rows.push_back({std::to_string(m_rows.size() + 1), e.credate, e.hpno, e.name, e.etc, false});
    }
}

void AddressBookTable::setTicked(std::size_t row, bool ticked) {
    if (row < m_rows.size())
        m_rows[row].ticked = ticked;
}

void AddressBookTable::tickAll(bool ticked) {
    for (AddressTableRow& r : m_rows)
        r.ticked = ticked;
}

std::size_t AddressBookTable::tickedCount() const {
    return static_cast<std::size_t>(
        std::count_if(m_rows.begin(), m_rows.end(), [](const auto& r) { return r.ticked; }));
}

std::vector<AddressPair> AddressBookTable::tickedPairs() const {
    std::vector<AddressPair> pairs;
    for (const AddressTableRow& r : m_rows)
        if (r.ticked)
            pairs.push_back({r.name, r.hpno});
    return pairs;
}

void AddressBookTable::sortBy(int column) {
    std::string AddressTableRow::*field = nullptr;
    switch (column) {
    case Name:
        field = &AddressTableRow::name;
        break;
    case Phone:
        field = &AddressTableRow::hpno;
        break;
    case Date:
        field = &AddressTableRow::credate;
        break;
    default:
        return;
    }
    const bool descending = m_descending[static_cast<std::size_t>(column)];
    m_descending[static_cast<std::size_t>(column)] = !descending;
    // std::string compares through char_traits<char>, which orders bytes as unsigned values.
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const AddressTableRow& a, const AddressTableRow& b) {
        return descending ? b.*field < a.*field : a.*field < b.*field;
    });
}

void AddressBookTable::updateRow(std::size_t row, std::string_view name, std::string_view hpno,
                                 std::string_view etc) {
    if (row >= m_rows.size())
        return;
    m_rows[row].name = name;
    m_rows[row].hpno = hpno;
    m_rows[row].etc = etc;
}

bool AddressBookTable::handOver(const WebClient& web, std::string& transferText, long long& total) const {
    if (!web.loginGate()) {
        transferText.clear();
        return false;
    }
    long long now = 0;
    for (const AddressTableRow& r : m_rows) {
        if (!r.ticked)
            continue;
        transferText += r.name + '\x04' + r.hpno + '\x02';
        ++now;
    }
    if (now == 0) {
        static const std::string none = ko("발송 데이터을 선택하세요.");
        web.notifier().error(none);
        return false;
    }
    total += now;
    static const std::string done = ko(" %d 건 데이터이동 완료!\n\n  총 [%d] 건 ");
    web.notifier().info(webtext::fill(done, {std::to_string(now), std::to_string(total)}));
    return true;
}

} // namespace qb
