#pragma once

#include "net/LoginDialogModel.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

// "로그인": id and password, and whether to remember each. What it shows on
// opening and what OK does are LoginDialogModel's.
namespace qb {

class LoginDialog : public QDialog {
    Q_OBJECT

public:
    // The login packet's fields hold 16 bytes each.
    static constexpr std::size_t kFieldBytes = 16;

    LoginDialog(LoginDialogModel model, QWidget* parent);

    QLineEdit* idEdit() const { return m_id; }
    QLineEdit* passwordEdit() const { return m_password; }
    QCheckBox* saveIdBox() const { return m_saveId; }
    QCheckBox* savePasswordBox() const { return m_savePassword; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    void accept() override;

private:
    LoginDialogModel m_model;
    QLineEdit* m_id;
    QLineEdit* m_password;
    QCheckBox* m_saveId;
    QCheckBox* m_savePassword;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

} // namespace qb
