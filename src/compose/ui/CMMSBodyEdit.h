#pragma once

#include <QPlainTextEdit>

// The MMS body under the three picture slots. It has no scroll bars of its own:
// it grows with its text inside the composition view, which scrolls instead.
// Dropped files are the view's business, not text to insert.
namespace qb {

class CMMSBodyEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit CMMSBodyEdit(QWidget* parent = nullptr);

    // Where the caret is drawn, in this box's coordinates.
    QRect caretRect() const { return cursorRect(); }
};

} // namespace qb
