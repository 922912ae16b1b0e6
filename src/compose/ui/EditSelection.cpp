#include "compose/ui/EditSelection.h"

#include "common/QtText.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <utility>

namespace qb {
namespace {

std::size_t bytesBefore(const QString& shown, int position) {
    return fromEditText(shown.left(position)).size();
}

int charsBefore(std::string_view cp949, std::size_t offset) {
    return static_cast<int>(toEditText(cp949.substr(0, offset)).size());
}

} // namespace

ByteRange selectedBytes(const QPlainTextEdit* edit) {
    const QTextCursor c = edit->textCursor();
    const QString shown = edit->toPlainText();
    return {bytesBefore(shown, c.selectionStart()), bytesBefore(shown, c.selectionEnd())};
}

ByteRange selectedBytes(const QLineEdit* edit) {
    const QString shown = edit->text();
    if (!edit->hasSelectedText()) {
        const std::size_t at = bytesBefore(shown, edit->cursorPosition());
        return {at, at};
    }
    return {bytesBefore(shown, edit->selectionStart()), bytesBefore(shown, edit->selectionEnd())};
}

void placeCaret(QPlainTextEdit* edit, std::string_view cp949, std::size_t offset) {
    QTextCursor c = edit->textCursor();
    c.setPosition(charsBefore(cp949, offset));
    edit->setTextCursor(c);
}

void placeCaret(QLineEdit* edit, std::string_view cp949, std::size_t offset) {
    edit->setCursorPosition(charsBefore(cp949, offset));
}

} // namespace qb
