#include "compose/ui/CMMSBodyEdit.h"

namespace qb {

CMMSBodyEdit::CMMSBodyEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName("body");
    QFont font(QStringLiteral("굴림"));
    font.setPointSize(12);
    setFont(font);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
}

} // namespace qb
