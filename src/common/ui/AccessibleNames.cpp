#include "common/ui/AccessibleNames.h"

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

} // namespace qb
