#pragma once

class QPlainTextEdit;

// Lines of a multi-line box as the user sees them, wrapped at the box's width:
// what the growing MMS bodies are sized by.
namespace qb {

int visualLineCount(const QPlainTextEdit* edit);
int lineHeight(const QPlainTextEdit* edit);

} // namespace qb
