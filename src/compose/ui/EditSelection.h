#pragma once

#include <cstddef>
#include <string_view>

class QLineEdit;
class QPlainTextEdit;

// Selections and carets of Qt's edit boxes as byte offsets into the CP949 text
// the core holds for them (CR LF line breaks), and back.
namespace qb {

struct ByteRange {
    std::size_t from = 0;
    std::size_t to = 0;
};

ByteRange selectedBytes(const QPlainTextEdit* edit);
ByteRange selectedBytes(const QLineEdit* edit);

// Puts the caret at byte `offset` of `cp949`, the text the box shows.
void placeCaret(QPlainTextEdit* edit, std::string_view cp949, std::size_t offset);
void placeCaret(QLineEdit* edit, std::string_view cp949, std::size_t offset);

} // namespace qb
