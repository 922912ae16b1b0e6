#include "web/AddressBookModel.h"

#include "common/Cp949.h"
#include "common/Notifier.h"
#include "common/PhoneNumber.h"
#include "web/WebClient.h"
#include "web/WebText.h"

#include <algorithm>

namespace qb {
namespace {

const std::string& rootText() {
    static const std::string s = ko("주소록");
    return s;
}

const std::string& noneTicked() {
    static const std::string s = ko("선택된 데이터가 없습니다.");
    return s;
}

} // namespace

AddressBookModel::AddressBookModel(WebClient& web, std::string& transferText, long long& handOverTotal)
    : m_web(web), m_transferText(transferText), m_handOverTotal(handOverTotal), m_book(web), m_table(m_book) {
    // A move or a delete reloads the book inside its call: the rows and the tree
    // point at the old lists until they are rebuilt here, before its message.
    m_book.reloaded = [this] { bookReloaded(); };
}

bool AddressBookModel::open() {
    m_transferText.clear();
    m_table.clear();
    m_selected = kNoItem;
    if (!windowGate())
        return false;
    // A load that fails has told the user; the tree keeps only its root.
    m_book.reload();
    return true;
}

void AddressBookModel::bookReloaded() {
    m_table.clear();
    m_selected = kNoItem;
    ++m_treeRevision;
}

std::string AddressBookModel::treeText(int item) const {
    if (item == kRoot)
        return rootText();
    if (item < 1 || item >= treeItemCount())
        return {};
    return displayText(m_book.groups()[static_cast<std::size_t>(item - 1)].grpname, AddressGroup::kNameWidth);
}

void AddressBookModel::selectItem(int item) {
    if (item == m_selected || item < kNoItem || item >= treeItemCount())
        return;
    m_selected = item;
    if (item == kNoItem)
        return;
    m_table.selectGroup(item == kRoot ? rootText()
                                      : m_book.groups()[static_cast<std::size_t>(item - 1)].grpname);
}

void AddressBookModel::reloadKeepingSelection() {
    const int selected = m_selected;
    const std::string group = currentGroup();
    m_book.reload();
    if (selected == kRoot)
        selectItem(kRoot);
    else if (selected > kRoot)
        selectGroupNamed(group);
}

void AddressBookModel::selectGroupNamed(const std::string& name) {
    const auto& groups = m_book.groups();
    const auto it =
        std::find_if(groups.begin(), groups.end(), [&](const AddressGroup& g) { return g.grpname == name; });
    if (it != groups.end())
        selectItem(static_cast<int>(it - groups.begin()) + 1);
}

std::vector<AddressBookModel::MenuItem> AddressBookModel::menuFor(int item) {
    if (item == kRoot)
        return {MenuItem::NewGroup};
    if (item > kRoot)
        return {MenuItem::Register, MenuItem::Move, MenuItem::Delete};
    return {};
}

std::string AddressBookModel::menuText(MenuItem item) {
    switch (item) {
    case MenuItem::NewGroup:
        return ko("신규그룹생성");
    case MenuItem::Register:
        return ko("신규 주소록 등록");
    case MenuItem::Move:
        return ko("주소록 이동");
    case MenuItem::Delete:
        return ko("주소록 삭제");
    }
    return {};
}

bool AddressBookModel::offers(MenuItem item) const {
    const std::vector<MenuItem> menu = menuFor(m_selected);
    return std::find(menu.begin(), menu.end(), item) != menu.end();
}

bool AddressBookModel::isNumber(std::string_view hpno) {
    PhoneDigits digits;
    return phoneDigits(hpno, digits);
}

bool AddressBookModel::windowGate() {
    if (m_web.loginGate())
        return true;
    m_closing = true;
    return false;
}

bool AddressBookModel::dialogGate() {
    return m_web.loginGate();
}

bool AddressBookModel::addGroup(std::string_view name) {
    if (!dialogGate())
        return true;
    if (name.empty()) {
        m_web.notifier().error(ko("그룹이름을 입력하세요!"));
        return false;
    }
    // The name as it would be stored: a longer one is cut before it is sent.
    if (m_book.hasGroup(displayText(name, AddressGroup::kNameWidth))) {
        m_web.notifier().error(ko("그룹이름이 중복됩니다.!"));
        return false;
    }
    if (!m_book.AddGroup(name))
        return false;
    reloadKeepingSelection();
    return true;
}

bool AddressBookModel::numberRefused(const std::string& hpno) {
    if (isNumber(hpno))
        return false;
    m_web.notifier().error("[" + hpno + ko("] 전화번호를 확인해주세요."));
    return true;
}

bool AddressBookModel::registerRows(const std::vector<AddressRow>& rows) {
    if (!dialogGate())
        return true;
    if (std::all_of(rows.begin(), rows.end(), [](const AddressRow& r) { return r.hpno.empty(); })) {
        m_web.notifier().error(ko("데이터를 입력해 주세요."));
        return false;
    }
    // Rows without a phone are left out whatever they hold.
    if (std::any_of(rows.begin(), rows.end(),
                    [](const AddressRow& r) { return !r.hpno.empty() && !r.storable(); })) {
        m_web.notifier().error(unstorableRowMessage());
        return false;
    }
    // A number the send form would refuse is not worth keeping.
    for (const AddressRow& r : rows)
        if (!r.hpno.empty() && numberRefused(r.hpno))
            return false;
    if (!m_book.RegisterEntries(currentGroup(), rows))
        return false;
    reloadKeepingSelection();
    return true;
}

bool AddressBookModel::registerImported(const std::vector<AddressRow>& rows, const AddressSkips& skips) {
    // The login ended while the file was chosen or read: dialog and window close.
    if (!windowGate())
        return true;
    if (!m_book.RegisterEntries(currentGroup(), rows))
        return false;
    static const std::string templ = ko("%d 개의 데이터가 입력되었습니다.");
    std::string text = webtext::fill(templ, {std::to_string(rows.size())});
    // What was left out, and why, below the count.
    static const std::string notThree = ko("\n쉼표로 나눈 값이 세 개가 아닌 %d 줄은 건너뛰었습니다.");
    static const std::string noPhone = ko("\n전화번호가 없는 %d 행은 건너뛰었습니다.");
    static const std::string unstorable =
        ko("\n쓸 수 없는 문자(NUL, 0x02, 0x04)가 들어 있는 %d 건은 건너뛰었습니다.");
    static const std::string badNumber = ko("\n전화번호가 올바르지 않은 %d 건은 건너뛰었습니다.");
    for (const auto& [count, line] :
         {std::pair{skips.notThreeValues, &notThree}, std::pair{skips.noPhone, &noPhone},
          std::pair{skips.unstorable, &unstorable}, std::pair{skips.badNumber, &badNumber}})
        if (count > 0)
            text += webtext::fill(*line, {std::to_string(count)});
    m_web.notifier().info(text);
    reloadKeepingSelection();
    return true;
}

bool AddressBookModel::startMove() {
    if (!windowGate())
        return false;
    if (m_table.tickedCount() == 0) {
        m_web.notifier().error(noneTicked());
        return false;
    }
    return true;
}

std::vector<std::string> AddressBookModel::groupNames() const {
    std::vector<std::string> names;
    for (const AddressGroup& g : m_book.groups())
        names.push_back(g.grpname);
    return names;
}

bool AddressBookModel::checkMoveTarget(std::string_view target) {
    if (target != currentGroup())
        return true;
    m_web.notifier().error(ko("이동할 그룹이 동일합니다."));
    return false;
}

void AddressBookModel::moveTicked(std::string_view targetIn) {
    // The move dialog was open while the login ended: the window goes too.
    if (!windowGate())
        return;
    const std::string target(targetIn);
    if (m_book.MoveEntries(currentGroup(), target, m_table.tickedPairs()))
        selectGroupNamed(target);
}

void AddressBookModel::deleteTicked() {
    if (!windowGate())
        return;
    const std::size_t ticked = m_table.tickedCount();
    if (ticked == 0) {
        m_web.notifier().error(noneTicked());
        return;
    }
    const std::string group = currentGroup();
    static const std::string question = ko("%s 그룹의 선택된 %d 개 데이터를 삭제하시겠습니까?");
    if (!m_web.notifier().askYesNo(webtext::fill(question, {group, std::to_string(ticked)}),
                                   MessageIcon::Error))
        return;
    const std::vector<AddressPair> pairs = m_table.tickedPairs();
    const bool all = m_book.isAll(group, pairs.size()) == "Y";
    if (m_book.DeleteEntries(group, pairs) && !all)
        selectGroupNamed(group);
}

std::optional<AddressBookModel::ModifyTarget> AddressBookModel::modifyTarget(std::size_t row) const {
    const AddressEntry* e = m_table.entry(row);
    if (!e)
        return std::nullopt;
    return ModifyTarget{e->groupname, e->name, e->hpno, e->etc, row};
}

bool AddressBookModel::modify(const ModifyTarget& target, const AddressRow& now) {
    if (now.name.empty() || now.hpno.empty()) {
        m_web.notifier().error(ko("데이터를 입력해주세요!."));
        return false;
    }
    if (!now.storable()) {
        m_web.notifier().error(unstorableRowMessage());
        return false;
    }
    if (!dialogGate())
        return true;
    if (now.hpno != target.hpno && numberRefused(now.hpno))
        return false;
    if (!m_book.ModifyEntry(target.group, target.name, target.hpno, now.name, now.hpno, now.etc))
        return false;
    m_table.entriesChanged();
    return true;
}

void AddressBookModel::handOver() {
    if (!windowGate()) {
        m_transferText.clear();
        return;
    }
    m_table.handOver(m_web, m_transferText, m_handOverTotal);
}

} // namespace qb
