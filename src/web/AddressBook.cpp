#include "web/AddressBook.h"

#include "common/Clock.h"
#include "common/Cp949.h"
#include "common/Notifier.h"
#include "web/WebClient.h"
#include "web/WebText.h"

#include <algorithm>
#include <array>

namespace qb {

bool AddressRow::storable() const {
    static constexpr std::string_view kSeparators("\0\x02\x04", 3);
    return name.find_first_of(kSeparators) == std::string::npos &&
           hpno.find_first_of(kSeparators) == std::string::npos &&
           etc.find_first_of(kSeparators) == std::string::npos;
}

const std::string& unstorableRowMessage() {
    static const std::string text =
        ko("이름, 전화번호, 메모에 쓸 수 없는 문자(NUL, 0x02, 0x04)가 들어 있습니다.");
    return text;
}
namespace {

std::string fit(std::string_view s, std::size_t width) {
    return cp949::cutBytes(s, width - 1);
}

// A value the entry already holds stays whole; anything else is cut.
std::string keptOrFit(std::string_view now, const std::string* before, std::size_t width) {
    if (before && *before == now)
        return *before;
    return fit(now, width);
}

} // namespace

std::string displayText(std::string_view value, std::size_t width) {
    return fit(value, width);
}

bool AddressBook::hasGroup(std::string_view name) const {
    return std::any_of(m_groups.begin(), m_groups.end(),
                       [&](const AddressGroup& g) { return g.grpname == name; });
}

std::size_t AddressBook::entryCount(std::string_view group) const {
    return static_cast<std::size_t>(std::count_if(
        m_entries.begin(), m_entries.end(), [&](const AddressEntry& e) { return e.groupname == group; }));
}

bool AddressBook::LoadGroups() {
    return m_web.loginGate() && fetchGroups();
}

bool AddressBook::LoadEntries() {
    return m_web.loginGate() && fetchEntries();
}

bool AddressBook::fetchGroups() {
    static constexpr std::array<std::string_view, 2> kFields{"idx", "grpname"};
    std::vector<webjson::Row> rows;
    if (!m_web.getList("getaddrgroup.jsp?cid=", kFields, rows))
        return false;
    for (webjson::Row& r : rows)
        m_groups.push_back({std::move(r[0]), std::move(r[1])});
    return true;
}

bool AddressBook::fetchEntries() {
    static constexpr std::array<std::string_view, 6> kFields{"idx", "hpno",      "name",
                                                             "etc", "groupname", "credate"};
    std::vector<webjson::Row> rows;
    if (!m_web.getList("getaddrdata.jsp?cid=", kFields, rows))
        return false;
    m_entries.reserve(m_entries.size() + rows.size());
    for (webjson::Row& r : rows) {
        AddressEntry e;
        e.idx = std::move(r[0]);
        e.hpno = std::move(r[1]);
        e.name = std::move(r[2]);
        e.etc = std::move(r[3]);
        e.groupname = std::move(r[4]);
        e.credate = std::move(r[5]);
        m_entries.push_back(std::move(e));
    }
    return true;
}

bool AddressBook::reload() {
    m_entries.clear();
    m_groups.clear();
    if (!m_web.loginGate())
        return false;
    const bool groups = fetchGroups();
    const bool entries = fetchEntries();
    if (reloaded)
        reloaded();
    return groups && entries;
}

bool AddressBook::AddGroup(std::string_view nameIn) {
    if (!m_web.loginGate())
        return false;
    const std::string name = fit(nameIn, AddressGroup::kNameWidth);
    if (!m_web.post("/setaddrgroup.jsp", {{"m_id", m_web.userId()}, {"groupname", name}}))
        return false;
    m_groups.push_back({std::string(), name});
    return true;
}

bool AddressBook::RegisterEntries(std::string_view groupIn, const std::vector<AddressRow>& rows) {
    if (!m_web.loginGate())
        return false;
    const std::string credate = formatLocalNow("%Y-%m-%d %H:%M:%S");
    // The group is one the book holds, whole: a cut name would be another group.
    const std::string group(groupIn);
    std::vector<AddressEntry> added;
    std::vector<webjson::Object> data;
    for (const AddressRow& r : rows) {
        if (r.hpno.empty())
            continue;
        AddressEntry e;
        e.groupname = group;
        e.credate = credate;
        e.hpno = fit(r.hpno, AddressEntry::kPhoneWidth);
        e.name = fit(r.name, AddressEntry::kNameWidth);
        e.etc = fit(r.etc, AddressEntry::kMemoWidth);
        data.push_back({{"name", e.name}, {"hpno", e.hpno}, {"etc", e.etc}});
        added.push_back(std::move(e));
    }
    const std::string json = webjson::writeStyledList(m_web.userId(), data);
    if (!m_web.post("setaddrdata.jsp", {{"m_id", m_web.userId()}, {"groupname", group}, {"data", json}}))
        return false;
    m_entries.insert(m_entries.end(), std::make_move_iterator(added.begin()),
                     std::make_move_iterator(added.end()));
    return true;
}

bool AddressBook::ModifyEntry(std::string_view groupIn, std::string_view oldNameIn,
                              std::string_view oldPhoneIn, std::string_view newNameIn,
                              std::string_view newPhoneIn, std::string_view newMemoIn) {
    if (!m_web.loginGate())
        return false;
    // Copies: callers may pass views of the very entries changed below.
    const std::string group(groupIn), oldName(oldNameIn), oldPhone(oldPhoneIn);
    const auto first = std::find_if(m_entries.begin(), m_entries.end(), [&](const AddressEntry& e) {
        return e.groupname == group && e.hpno == oldPhone && e.name == oldName;
    });
    const AddressEntry* before = first == m_entries.end() ? nullptr : &*first;
    const std::string newName =
        keptOrFit(newNameIn, before ? &before->name : nullptr, AddressEntry::kNameWidth);
    const std::string newPhone =
        keptOrFit(newPhoneIn, before ? &before->hpno : nullptr, AddressEntry::kPhoneWidth);
    const std::string newMemo =
        keptOrFit(newMemoIn, before ? &before->etc : nullptr, AddressEntry::kMemoWidth);
    const std::string json =
        webjson::writeStyledList(m_web.userId(), {{{"name", newName}, {"hpno", newPhone}, {"etc", newMemo}}});
    if (!m_web.post("modifyaddrdata.jsp", {{"m_id", m_web.userId()},
                                           {"groupname", group},
                                           {"oldhpno", oldPhone},
                                           {"oldname", oldName},
                                           {"data", json}}))
        return false;
    for (AddressEntry& e : m_entries) {
        if (e.groupname == group && e.hpno == oldPhone && e.name == oldName) {
            e.name = newName;
            e.hpno = newPhone;
            e.etc = newMemo;
        }
    }
    return true;
}

std::string AddressBook::isAll(std::string_view group, std::size_t pairs) const {
    return pairs == entryCount(group) ? "Y" : "N";
}

std::string AddressBook::pairsJson(const std::vector<AddressPair>& pairs) const {
    std::vector<webjson::Object> data;
    data.reserve(pairs.size());
    for (const AddressPair& p : pairs)
        data.push_back({{"name", p.name}, {"hpno", p.hpno}});
    return webjson::writeStyledList(m_web.userId(), data);
}

bool AddressBook::DeleteEntries(std::string_view group, const std::vector<AddressPair>& pairs) {
    if (!m_web.loginGate())
        return false;
    if (!m_web.post("deladdrgroup.jsp", {{"m_id", m_web.userId()},
                                         {"isall", isAll(group, pairs.size())},
                                         {"groupname", std::string(group)},
                                         {"data", pairsJson(pairs)}}))
        return false;
    const std::string g(group); // the lists the view refers to are replaced below
    reload();
    static const std::string templ = ko("[%s] 그룹 %d 건 삭제완료.!");
    m_web.notifier().info(webtext::fill(templ, {g, std::to_string(pairs.size())}));
    return true;
}

bool AddressBook::MoveEntries(std::string_view group, std::string_view newGroup,
                              const std::vector<AddressPair>& pairs) {
    if (!m_web.loginGate())
        return false;
    if (!m_web.post("moveaddrgroup.jsp", {{"m_id", m_web.userId()},
                                          {"isall", isAll(group, pairs.size())},
                                          {"groupname", std::string(group)},
                                          {"newgroupname", std::string(newGroup)},
                                          {"data", pairsJson(pairs)}}))
        return false;
    const std::string from(group), to(newGroup);
    reload();
    static const std::string templ = ko("[%s] --> [%s] 로 %d 건 이동완료.!");
    m_web.notifier().info(webtext::fill(templ, {from, to, std::to_string(pairs.size())}));
    return true;
}

} // namespace qb
