#include "web/AddressBookTable.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "common/Notifier.h"
#include "web/WebClient.h"
#include "web/WebText.h"

#include <algorithm>

namespace qb {
namespace {

int number(std::string_view s) {
    long long v = 0;
    return bytes::parseDecimal(bytes::trim(s), v) && v <= 100000 ? static_cast<int>(v) : 0;
}

// The bytes that separate fields and records of the transfer text (and end a C string).
bool holdsSeparator(std::string_view s) {
    return s.find_first_of(std::string_view("\0\x02\x04", 3)) != std::string_view::npos;
}

} // namespace

std::vector<AddressColumn> parseColumns(std::string_view text) {
    std::vector<AddressColumn> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view item = text.substr(start, end - start);
        const std::size_t a = item.find(',');
        const std::size_t b = a == std::string_view::npos ? a : item.find(',', a + 1);
        if (b != std::string_view::npos)
            out.push_back({std::string(item.substr(0, a)), number(item.substr(a + 1, b - a - 1)),
                           number(item.substr(b + 1))});
        start = end + 1;
    }
    return out;
}

const std::vector<AddressColumn>& addressColumns() {
    static const std::vector<AddressColumn> columns =
        parseColumns(ko(" , 1,60;이 름, 1,90; 전화번호, 1,120; 메 모 , 1,240; 등록일 , 1,170"));
    return columns;
}

void AddressBookTable::selectGroup(std::string_view group) {
    m_group = group;
    rebuild();
}

void AddressBookTable::rebuild() {
    m_rows.clear();
    const std::vector<AddressEntry>& entries = m_book.entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].groupname != m_group)
            continue;
        m_rows.push_back(
            {static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(m_rows.size() + 1), false});
    }
    m_headerTicked = false;
    ++m_rowsRevision;
}

void AddressBookTable::clear() {
    m_rows.clear();
    m_headerTicked = false;
    ++m_rowsRevision;
}

const AddressEntry* AddressBookTable::entry(std::size_t row) const {
    if (row >= m_rows.size() || m_rows[row].entry >= m_book.entries().size())
        return nullptr;
    return &m_book.entries()[m_rows[row].entry];
}

std::string AddressBookTable::text(std::size_t row, int column) const {
    const AddressEntry* e = entry(row);
    if (!e)
        return {};
    switch (column) {
    case Tick:
        return std::to_string(m_rows[row].ordinal);
    case Name:
        return displayText(e->name, AddressEntry::kNameWidth);
    case Phone:
        return displayText(e->hpno, AddressEntry::kPhoneWidth);
    case Memo:
        return displayText(e->etc, AddressEntry::kMemoWidth);
    case Date:
        return displayText(e->credate, AddressEntry::kDateWidth);
    default:
        return {};
    }
}

void AddressBookTable::setTicked(std::size_t row, bool ticked) {
    if (row < m_rows.size() && m_rows[row].ticked != ticked) {
        m_rows[row].ticked = ticked;
        ++m_cellsRevision;
    }
}

void AddressBookTable::toggleAll() {
    tickAll(!m_headerTicked);
}

void AddressBookTable::tickAll(bool ticked) {
    m_headerTicked = ticked;
    for (AddressTableRow& r : m_rows)
        r.ticked = ticked;
    ++m_cellsRevision;
}

std::size_t AddressBookTable::tickedCount() const {
    return static_cast<std::size_t>(
        std::count_if(m_rows.begin(), m_rows.end(), [](const auto& r) { return r.ticked; }));
}

std::vector<AddressPair> AddressBookTable::tickedPairs() const {
    std::vector<AddressPair> pairs;
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (const AddressEntry* e = entry(i); e && m_rows[i].ticked)
            pairs.push_back({e->name, e->hpno});
    return pairs;
}

void AddressBookTable::sortBy(int column) {
    std::string AddressEntry::*field = nullptr;
    switch (column) {
    case Name:
        field = &AddressEntry::name;
        break;
    case Phone:
        field = &AddressEntry::hpno;
        break;
    case Date:
        field = &AddressEntry::credate;
        break;
    default:
        return;
    }
    const bool descending = m_descending[static_cast<std::size_t>(column)];
    m_descending[static_cast<std::size_t>(column)] = !descending;
    const std::vector<AddressEntry>& entries = m_book.entries();
    // std::string compares through char_traits<char>, which orders bytes as unsigned values.
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const AddressTableRow& a, const AddressTableRow& b) {
        const std::string& x = entries[a.entry].*field;
        const std::string& y = entries[b.entry].*field;
        return descending ? y < x : x < y;
    });
    ++m_rowsRevision;
}

bool AddressBookTable::handOver(const WebClient& web, std::string& transferText, long long& total) const {
    if (!web.loginGate()) {
        transferText.clear();
        return false;
    }
    long long now = 0, left = 0;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const AddressEntry* e = entry(i);
        if (!e || !m_rows[i].ticked)
            continue;
        if (holdsSeparator(e->name) || holdsSeparator(e->hpno)) {
            ++left;
            continue;
        }
        transferText += e->name;
        transferText += '\x04';
        transferText += e->hpno;
        transferText += '\x02';
        ++now;
    }
    if (left > 0) {
        static const std::string templ = ko("이름이나 전화번호에 구분 문자가 있는 %d 건은 제외했습니다.");
        web.notifier().error(webtext::fill(templ, {std::to_string(left)}));
    }
    if (now == 0) {
        static const std::string none = ko("발송 데이터을 선택하세요.");
        if (left == 0)
            web.notifier().error(none);
        return false;
    }
    total += now;
    static const std::string done = ko(" %d 건 데이터이동 완료!\n\n  총 [%d] 건 ");
    web.notifier().info(webtext::fill(done, {std::to_string(now), std::to_string(total)}));
    return true;
}

} // namespace qb
