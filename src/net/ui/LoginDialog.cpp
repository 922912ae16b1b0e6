#include "net/ui/LoginDialog.h"

#include "common/QtText.h"
#include "common/ui/AccessibleNames.h"
#include "common/ui/Cp949LengthValidator.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

namespace qb {

LoginDialog::LoginDialog(LoginDialogModel model, QWidget* parent)
    : QDialog(parent), m_model(std::move(model)), m_id(new QLineEdit(this)), m_password(new QLineEdit(this)),
      m_saveId(new QCheckBox(QString::fromUtf8("아이디저장"), this)),
      m_savePassword(new QCheckBox(QString::fromUtf8("비밀번호저장"), this)),
      m_ok(new QPushButton(QString::fromUtf8("로그인"), this)),
      m_cancel(new QPushButton(QString::fromUtf8("취소"), this)) {
    setWindowTitle(QString::fromUtf8("로그인"));
    setObjectName("loginDialog");
    // White whatever the desktop's colour scheme; the words on it are then dark
    // too, or a dark scheme would write white on white.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setAutoFillBackground(true);

    m_id->setObjectName("idEdit");
    m_password->setObjectName("passwordEdit");
    m_saveId->setObjectName("saveIdBox");
    m_savePassword->setObjectName("savePasswordBox");
    m_ok->setObjectName("okButton");
    m_cancel->setObjectName("cancelButton");

    m_password->setEchoMode(QLineEdit::Password);
    m_id->setValidator(new Cp949LengthValidator(kFieldBytes, m_id));
    m_password->setValidator(new Cp949LengthValidator(kFieldBytes, m_password));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &LoginDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &LoginDialog::reject);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(8);
    auto* idLabel = new QLabel(QString::fromUtf8("아이디 :"), this);
    auto* passwordLabel = new QLabel(QString::fromUtf8("비밀번호:"), this);
    labelControl(idLabel, m_id);
    labelControl(passwordLabel, m_password);
    fields->addWidget(idLabel, 0, 0);
    fields->addWidget(m_id, 0, 1);
    fields->addWidget(passwordLabel, 1, 0);
    fields->addWidget(m_password, 1, 1);
    fields->setColumnMinimumWidth(1, 170);

    auto* checks = new QHBoxLayout;
    checks->addStretch();
    checks->addWidget(m_saveId);
    checks->addSpacing(10);
    checks->addWidget(m_savePassword);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->setSpacing(10);
    layout->addLayout(fields);
    layout->addLayout(checks);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const LoginDialogFields f = m_model.open();
    m_id->setText(toQString(f.id));
    m_password->setText(toQString(f.password));
    m_saveId->setChecked(f.saveId);
    m_savePassword->setChecked(f.savePassword);
}

void LoginDialog::accept() {
    LoginDialogFields f;
    f.id = fromQString(m_id->text());
    f.password = fromQString(m_password->text());
    f.saveId = m_saveId->isChecked();
    f.savePassword = m_savePassword->isChecked();
    if (m_model.accept(f))
        QDialog::accept();
}

} // namespace qb
