#pragma once

#include "common/Notifier.h"
#include "web/AddressBookModel.h"
#include "web/WebClient.h"

#include <QDialog>

#include <memory>
#include <string>

class QLayout;
class QMenu;
class QPushButton;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

namespace qb {

class AddressItemModel;
struct LoginState;

// ":::: 주소록": the group tree, the current group's entries with tick boxes,
// "입력" and "닫기". What each action does is AddressBookModel's; this window
// shows its state after every action and before every message.
class AddressBookWindow : public QDialog {
    Q_OBJECT

public:
    // The transfer text and the hand-over total are the main window's.
    AddressBookWindow(const LoginState& login, Notifier& notifier, const WebHost& host,
                      std::string& transferText, long long& handOverTotal, QWidget* parent = nullptr);
    ~AddressBookWindow() override;

    // Shows the window, loads the book and runs the window modally. False when it
    // could not open because nobody is logged in.
    bool run();

    AddressBookModel& model() { return m_model; }
    QTreeWidget* tree() const { return m_tree; }
    QTableView* list() const { return m_list; }
    AddressItemModel* listModel() const { return m_listModel; }
    QPushButton* inputButton() const { return m_input; }
    QPushButton* closeButton() const { return m_close; }
    // "그룹추가", "추가" and "가져오기" under the tree: the selected item's menu
    // items, the last one straight to the register dialog's file import.
    QPushButton* addGroupButton() const { return m_addGroup; }
    QPushButton* addEntryButton() const { return m_addEntry; }
    QPushButton* importButton() const { return m_import; }

    // The pop-up menu of a tree item (the root is item 0), empty for none.
    std::unique_ptr<QMenu> menuFor(int item);
    // The tree item that shows `item` of the model.
    QTreeWidgetItem* treeItem(int item) const;

    // The menus' and buttons' actions.
    void newGroup();
    void registerEntries();
    void importFile();
    void moveTicked();
    void deleteTicked();
    void modifyRow(int row);
    void handOver();
    void headerClicked(int section);

    // Shows the model's state in the tree and the list.
    void refresh();

private:
    void buildList();
    QLayout* buildTreeButtons();
    void runMenuItem(AddressBookModel::MenuItem item);
    void showContextMenu(const QPoint& pos);
    // After every action: the state shown, and the window closed when nobody is logged in.
    void afterAction();

    RefreshingNotifier m_notifier;
    WebClient m_web;
    AddressBookModel m_model;
    QTreeWidget* m_tree;
    QTableView* m_list;
    AddressItemModel* m_listModel;
    QPushButton* m_input;
    QPushButton* m_close;
    QPushButton* m_addGroup = nullptr;
    QPushButton* m_addEntry = nullptr;
    QPushButton* m_import = nullptr;
    std::uint64_t m_shownTree = ~std::uint64_t{0};
};

} // namespace qb
