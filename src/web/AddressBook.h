#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

class WebClient;

// Widths are the record capacities with their terminating NUL: a value shows at
// most width - 1 bytes (displayText). Values from the service are kept whole,
// because they name the entry in later changes; what the user types or imports
// is cut to the capacity before it is sent.
struct AddressGroup {
    static constexpr std::size_t kIdxWidth = 16;
    static constexpr std::size_t kNameWidth = 32;

    std::string idx; // the service's key; kept, not used
    std::string grpname;
};

struct AddressEntry {
    static constexpr std::size_t kIdxWidth = 16;
    static constexpr std::size_t kGroupWidth = 32;
    static constexpr std::size_t kDateWidth = 32;
    static constexpr std::size_t kPhoneWidth = 32;
    static constexpr std::size_t kNameWidth = 32;
    static constexpr std::size_t kMemoWidth = 256;

    std::string idx;
    std::string groupname;
    std::string credate;
    std::string hpno;
    std::string name;
    std::string etc;
};

// `value` as a table or tree shows it: at most width - 1 bytes, never half a
// two-byte character.
std::string displayText(std::string_view value, std::size_t width);

// A row typed or imported for registration.
struct AddressRow {
    std::string name;
    std::string hpno;
    std::string etc;
    // Without NUL, 0x02 or 0x04: a NUL would cut the value where the service or a
    // record reads it, and 0x02 and 0x04 separate the entries handed to the send form.
    bool storable() const;
};

// "이름, 전화번호, 메모에 쓸 수 없는 문자(NUL, 0x02, 0x04)가 들어 있습니다."
const std::string& unstorableRowMessage();

// Lines (text) or rows (workbook) an import left out, by reason.
struct AddressSkips {
    long long notThreeValues = 0; // text lines that do not split into three values
    long long noPhone = 0;        // workbook rows without a phone
    long long unstorable = 0;     // values holding NUL, 0x02 or 0x04
    long long badNumber = 0;      // phones that are no number
};

// An entry named for a delete or a move.
struct AddressPair {
    std::string name;
    std::string hpno;
    bool operator==(const AddressPair&) const = default;
};

// The subscriber's address book as the service keeps it. Every change goes to
// the service first; the copy here changes only once the service took it.
class AddressBook {
public:
    explicit AddressBook(WebClient& web) : m_web(web) {}

    const std::vector<AddressGroup>& groups() const { return m_groups; }
    const std::vector<AddressEntry>& entries() const { return m_entries; }
    bool hasGroup(std::string_view name) const;
    std::size_t entryCount(std::string_view group) const;

    bool LoadGroups();
    bool LoadEntries();
    // Empties both lists and loads them again; `reloaded` is called when the
    // new lists are in, before anything is shown to the user.
    bool reload();
    std::function<void()> reloaded;

    bool AddGroup(std::string_view name);
    // Rows without a phone are left out. The entries added here carry the local
    // time of the call as their registration date.
    bool RegisterEntries(std::string_view group, const std::vector<AddressRow>& rows);
    // A new value equal to what the first matching entry holds goes back whole
    // (a long name the user left alone stays long); a changed value is cut.
    bool ModifyEntry(std::string_view group, std::string_view oldName, std::string_view oldPhone,
                     std::string_view newName, std::string_view newPhone, std::string_view newMemo);
    // `isall` is "Y" when the pairs are as many as the group's entries. On success
    // the book is reloaded and the user told "[%s] 그룹 %d 건 삭제완료.!".
    bool DeleteEntries(std::string_view group, const std::vector<AddressPair>& pairs);
    // As DeleteEntries; the message is "[%s] --> [%s] 로 %d 건 이동완료.!".
    bool MoveEntries(std::string_view group, std::string_view newGroup,
                     const std::vector<AddressPair>& pairs);

    // "Y" or "N" for a delete or move of `pairs` entries of `group`.
    std::string isAll(std::string_view group, std::size_t pairs) const;
    // The `data` field of a delete or move.
    std::string pairsJson(const std::vector<AddressPair>& pairs) const;

private:
    bool fetchGroups();
    bool fetchEntries();

    WebClient& m_web;
    std::vector<AddressGroup> m_groups;
    std::vector<AddressEntry> m_entries;
};

} // namespace qb
