#include "common/ui/SheetChoiceDialog.h"

#include "common/QtText.h"

#include <QListWidget>
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
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_chosen = m_list->row(item) + 1;
        accept();
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_list);
    // Wide enough for the caption to be read whole.
    resize(360, 240);
}

} // namespace qb
