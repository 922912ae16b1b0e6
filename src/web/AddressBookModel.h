#pragma once

#include "web/AddressBook.h"
#include "web/AddressBookTable.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The address book window without its widgets: the book, the group tree and
// its selection, the table of the current group, the pop-up menus, and what
// every button of the window and its dialogs does, with its messages in order.
// The window shows this state and forwards the user's actions; its dialogs
// close when their action returns true.
namespace qb {

class WebClient;

class AddressBookModel {
public:
    enum class MenuItem { NewGroup, Register, Move, Delete };
    static constexpr int kNoItem = -1;
    static constexpr int kRoot = 0;

    // The transfer text and the hand-over total are the main window's: they
    // outlive the window.
    AddressBookModel(WebClient& web, std::string& transferText, long long& handOverTotal);

    // The window opens: the transfer text is emptied, the book loaded and the
    // tree built. False when nobody is logged in: the window closes.
    bool open();
    // An action of the window found nobody logged in: the window closes.
    bool closing() const { return m_closing; }

    WebClient& web() { return m_web; }
    const AddressBook& book() const { return m_book; }
    AddressBookTable& table() { return m_table; }
    const AddressBookTable& table() const { return m_table; }
    const std::string& currentGroup() const { return m_table.currentGroup(); }

    // Tree items: kRoot is "주소록", g + 1 is group g of the book.
    int treeItemCount() const { return 1 + static_cast<int>(m_book.groups().size()); }
    // The item's text as the tree shows it.
    std::string treeText(int item) const;
    int selectedItem() const { return m_selected; }
    // Changes whenever the tree's items change; the selection is then selectedItem().
    std::uint64_t treeRevision() const { return m_treeRevision; }
    // Another item than the selected one: its text becomes the current group and
    // the table is rebuilt. The selected item again: nothing (the ticks stay).
    void selectItem(int item);

    // The pop-up menu of a tree item; none for kNoItem.
    static std::vector<MenuItem> menuFor(int item);
    static std::string menuText(MenuItem item);
    // Whether the selected item's menu holds `item`: the window's buttons follow it.
    bool offers(MenuItem item) const;

    // The rule every stored number meets, typed or imported.
    static bool isNumber(std::string_view hpno);

    // "신규그룹생성" → "추가".
    bool addGroup(std::string_view name);
    // "신규 주소록 등록" → "입력": the ten rows as typed; a number must be a number.
    bool registerRows(const std::vector<AddressRow>& rows);
    // "파일등록(xls,txt)", once the file's rows are read; the message also tells
    // what the import left out. Logged out by then: the dialog and the window close.
    bool registerImported(const std::vector<AddressRow>& rows, const AddressSkips& skips = {});
    // The login gate of a dialog: false after the message; the dialog then closes.
    bool dialogGate();

    // "주소록 이동": true when the move dialog is to open.
    bool startMove();
    // Every group name, whole, in group-list order: the move dialog's choices.
    std::vector<std::string> groupNames() const;
    // "이동": false (the dialog stays) when `target` is the current group.
    bool checkMoveTarget(std::string_view target);
    // Logged out while the move dialog was open: the window closes.
    void moveTicked(std::string_view target);

    // "주소록 삭제", with its question.
    void deleteTicked();

    // A double-click on a row: what the modify dialog keeps.
    struct ModifyTarget {
        std::string group;
        std::string name; // the service's whole values name the entry
        std::string hpno;
        std::string etc;
        std::size_t row = 0;
    };
    std::optional<ModifyTarget> modifyTarget(std::size_t row) const;
    // "수정".
    // A changed number must be a number (digits, hyphens, spaces).
    bool modify(const ModifyTarget& target, const AddressRow& now);

    // "입력" of the window.
    void handOver();

private:
    // True, after "[abc] 전화번호를 확인해주세요.", when `hpno` is no number.
    bool numberRefused(const std::string& hpno);
    // The login gate of the window: the window closes when it fails.
    bool windowGate();
    void bookReloaded();
    void selectGroupNamed(const std::string& name);
    // After a new group or new entries: the window shows what the service
    // stored (its keys and dates), the same item selected.
    void reloadKeepingSelection();

    WebClient& m_web;
    std::string& m_transferText;
    long long& m_handOverTotal;
    AddressBook m_book;
    AddressBookTable m_table;
    int m_selected = kNoItem;
    std::uint64_t m_treeRevision = 0;
    bool m_closing = false;
};

} // namespace qb
