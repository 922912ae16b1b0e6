#pragma once

#include "web/AddressBookModel.h"

#include <QDialog>

#include <string>
#include <vector>

class QBoxLayout;
class QComboBox;
class QLineEdit;
class QPushButton;

// The address book window's small dialogs. Each button asks AddressBookModel,
// which tells the user what went wrong; the dialog closes when it says so.
namespace qb {

// ":::: 추가할 그룹명을 입력하세요".
class AddressGroupDialog : public QDialog {
    Q_OBJECT

public:
    AddressGroupDialog(AddressBookModel& model, QWidget* parent);

    QLineEdit* nameEdit() const { return m_name; }
    QPushButton* addButton() const { return m_add; }
    void accept() override;

private:
    AddressBookModel& m_model;
    QLineEdit* m_name;
    QPushButton* m_add;
};

// ":::: 주소록을 이동할 그룹명을 입력하세요": every group, the current one chosen.
class AddressMoveDialog : public QDialog {
    Q_OBJECT

public:
    AddressMoveDialog(AddressBookModel& model, QWidget* parent);

    QComboBox* groupBox() const { return m_groups; }
    QPushButton* moveButton() const { return m_move; }
    // The chosen group, whole, once the dialog was accepted.
    const std::string& target() const { return m_target; }
    void accept() override;

private:
    AddressBookModel& m_model;
    std::vector<std::string> m_names;
    std::string m_target;
    QComboBox* m_groups;
    QPushButton* m_move;
};

// ":::: 주소록 수정하기": the row's name, phone and memo.
class AddressModifyDialog : public QDialog {
    Q_OBJECT

public:
    AddressModifyDialog(AddressBookModel& model, AddressBookModel::ModifyTarget target, QWidget* parent);

    QLineEdit* nameEdit() const { return m_name; }
    QLineEdit* phoneEdit() const { return m_phone; }
    QLineEdit* memoEdit() const { return m_memo; }
    QPushButton* modifyButton() const { return m_modify; }
    void accept() override;

private:
    AddressBookModel& m_model;
    AddressBookModel::ModifyTarget m_target;
    QLineEdit* m_name;
    QLineEdit* m_phone;
    QLineEdit* m_memo;
    QPushButton* m_modify;
};

} // namespace qb
