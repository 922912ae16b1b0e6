#include "common/ui/AccessibleNames.h"

#include <QComboBox>
#include <QLabel>
#include <QWidget>

namespace qb {

QString labelWords(const QString& labelText) {
    QString words = labelText;
    while (!words.isEmpty() && (words.back() == ':' || words.back().isSpace()))
        words.chop(1);
    return words.trimmed();
}

void labelControl(QLabel* label, QWidget* control) {
    label->setBuddy(control);
    control->setAccessibleName(labelWords(label->text()));
}

void ownName(QWidget* control, const QString& name) {
    control->setAccessibleName(name);
    if (qobject_cast<QComboBox*>(control))
        control->setAccessibleDescription(name);
}

void nameSlotButtons(const QString& slotName, QWidget* choose, QWidget* remove) {
    choose->setAccessibleName(slotName + QString::fromUtf8(" 선택"));
    remove->setAccessibleName(slotName + QString::fromUtf8(" 삭제"));
}

} // namespace qb
