#include "frame/ui/PlaceholderSendForm.h"

#include <QLabel>
#include <QVBoxLayout>

namespace qb {

PlaceholderSendForm::PlaceholderSendForm(QWidget* parent) : QWidget(parent) {
    setObjectName("sendForm");
    auto* label = new QLabel(QString::fromUtf8("문자전송 화면 준비중"), this);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet("color: #7a8796;");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
}

} // namespace qb
