#include "common/ui/DialogButtons.h"

#include <QBoxLayout>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace qb {

QPushButton* addDialogButtons(QDialog* dialog, QBoxLayout* layout, const char* okUtf8, const char* okName,
                              bool okIsDefault) {
    auto* ok = new QPushButton(QString::fromUtf8(okUtf8), dialog);
    auto* cancel = new QPushButton(QString::fromUtf8("취소"), dialog);
    ok->setObjectName(okName);
    cancel->setObjectName("cancel");
    ok->setDefault(okIsDefault);
    ok->setAutoDefault(okIsDefault);
    cancel->setAutoDefault(false);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    return ok;
}

} // namespace qb
