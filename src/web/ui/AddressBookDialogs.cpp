#include "web/ui/AddressBookDialogs.h"

#include "common/QtText.h"
#include "common/ui/AccessibleNames.h"
#include "common/ui/Cp949LengthValidator.h"
#include "common/ui/DialogButtons.h"

#include <algorithm>

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qb {
namespace {

constexpr Qt::WindowFlags kDialogFlags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

// A field holds width - 1 bytes; more would be cut when it is sent. A longer
// value from the service is shown whole and may be shortened.
QLineEdit* limitedEdit(QWidget* parent, const char* name, std::size_t width, const std::string& value = {}) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setValidator(new Cp949LengthValidator(std::max(width - 1, value.size()), edit));
    edit->setText(toQString(value));
    return edit;
}

} // namespace

AddressGroupDialog::AddressGroupDialog(AddressBookModel& model, QWidget* parent)
    : QDialog(parent, kDialogFlags), m_model(model),
      m_name(limitedEdit(this, "groupName", AddressGroup::kNameWidth)) {
    setObjectName("addressGroupDialog");
    setWindowTitle(QString::fromUtf8(":::: 추가할 그룹명을 입력하세요"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    m_name->setAccessibleName(QString::fromUtf8("그룹명"));
    layout->addWidget(m_name);
    m_add = addDialogButtons(this, layout, "추가", "add");
    // Wide enough for the caption to be read whole.
    setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) * 5 / 4 + 120);
}

void AddressGroupDialog::accept() {
    if (m_model.addGroup(fromQString(m_name->text())))
        QDialog::accept();
}

AddressMoveDialog::AddressMoveDialog(AddressBookModel& model, QWidget* parent)
    : QDialog(parent, kDialogFlags), m_model(model), m_names(model.groupNames()),
      m_groups(new QComboBox(this)) {
    setObjectName("addressMoveDialog");
    setWindowTitle(QString::fromUtf8(":::: 주소록을 이동할 그룹명을 입력하세요"));
    m_groups->setObjectName("groups");
    ownName(m_groups, QString::fromUtf8("이동할 그룹"));
    for (const std::string& name : m_names) {
        m_groups->addItem(toQString(displayText(name, AddressGroup::kNameWidth)));
        if (name == model.currentGroup())
            m_groups->setCurrentIndex(m_groups->count() - 1);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->addWidget(m_groups);
    m_move = addDialogButtons(this, layout, "이동", "move");
    setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) * 5 / 4 + 120);
}

void AddressMoveDialog::accept() {
    const int i = m_groups->currentIndex();
    if (i < 0 || i >= static_cast<int>(m_names.size()))
        return;
    const std::string& target = m_names[static_cast<std::size_t>(i)];
    if (!m_model.checkMoveTarget(target))
        return;
    m_target = target;
    QDialog::accept();
}

AddressModifyDialog::AddressModifyDialog(AddressBookModel& model, AddressBookModel::ModifyTarget target,
                                         QWidget* parent)
    : QDialog(parent, kDialogFlags), m_model(model), m_target(std::move(target)),
      // The whole values: what the user leaves alone goes back as it was.
      m_name(limitedEdit(this, "name", AddressEntry::kNameWidth, m_target.name)),
      m_phone(limitedEdit(this, "phone", AddressEntry::kPhoneWidth, m_target.hpno)),
      m_memo(limitedEdit(this, "memo", AddressEntry::kMemoWidth, m_target.etc)) {
    setObjectName("addressModifyDialog");
    setWindowTitle(QString::fromUtf8(":::: 주소록 수정하기"));
    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("1. 이 름"), m_name);
    form->addRow(QString::fromUtf8("2. 전화번호"), m_phone);
    form->addRow(QString::fromUtf8("3. 메 모"), m_memo);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->addLayout(form);
    m_modify = addDialogButtons(this, layout, "수정", "modify");
    setMinimumWidth(360);
}

void AddressModifyDialog::accept() {
    const AddressRow now{fromQString(m_name->text()), fromQString(m_phone->text()),
                         fromQString(m_memo->text())};
    if (m_model.modify(m_target, now))
        QDialog::accept();
}

} // namespace qb
