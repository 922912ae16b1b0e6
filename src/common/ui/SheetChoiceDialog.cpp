#include "common/ui/SheetChoiceDialog.h"

#include "common/QtText.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace qb {

SheetChoiceDialog::SheetChoiceDialog(const std::vector<std::string>& sheetNames, QWidget* parent,
                                     const QString& title)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_list(new QListWidget(this)) {
    setObjectName("sheetChoiceDialog");
    setWindowTitle(title);
    m_list->setObjectName("sheets");
    m_list->setAccessibleName(QString::fromUtf8("엑셀시트"));
    for (const std::string& name : sheetNames)
        m_list->addItem(toQString(name));
    m_list->setCurrentRow(0);
    connect(m_list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { choose(m_list->row(item)); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    ok->setObjectName("ok");
    ok->setText(QString::fromUtf8("확인"));
    cancel->setObjectName("cancel");
    cancel->setText(QString::fromUtf8("취소"));
    // The default button: Enter in the list picks the current sheet.
    ok->setDefault(true);
    ok->setEnabled(m_list->count() > 0);
    connect(ok, &QPushButton::clicked, this, [this] { choose(m_list->currentRow()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    m_list->setFocus();
    // Wide enough for the caption to be read whole.
    resize(360, 240);
}

void SheetChoiceDialog::choose(int row) {
    if (row < 0)
        return;
    m_chosen = row + 1;
    accept();
}

} // namespace qb
